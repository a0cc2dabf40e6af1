#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/ui/window_drawing.h"
#include "tests/host/reference_host_fixture.h"

namespace {

HostDrawObject AsObject(void* object) { return static_cast<HostDrawObject>(object); }

}  // namespace

// The suites as the overlay uses them: a pen and paths from the event's
// supplier, stroked on its surface, become the event's display list.
TEST(WindowDrawing, StrokedPathsBecomeTheEventsDisplayListAndBadObjectsAreRefused) {
  auto host = OpenTestHost();
  ASSERT_NE(host, nullptr);
  const HostCustomUISuite1& ui = ReferenceCustomUISuite();
  const HostDrawSuite1& draw = ReferenceDrawSuite();
  const HostSupplierSuite1& supplier = ReferenceSupplierSuite();
  const HostSurfaceSuite2& surface = ReferenceSurfaceSuite();
  const HostPathSuite1& paths = ReferencePathSuite();

  HostEventContext context{kWindowComp};
  HostEventContext* handle = &context;
  WindowDrawing drawing;
  OpenEventDrawing(host->drawing, &handle, &drawing);
  HostDrawRef ref = nullptr;
  HostDrawSupplier theSupplier = nullptr;
  HostDrawSurface theSurface = nullptr;
  ASSERT_EQ(ui.getDrawingReference(&handle, &ref), kHostErrorNone);
  ASSERT_EQ(draw.getSupplier(ref, &theSupplier), kHostErrorNone);
  ASSERT_EQ(draw.getSurface(ref, &theSurface), kHostErrorNone);
  const HostColorRGBA orange{1.0f, 0.5f, 0.0f, 0.9f};
  HostDrawPen pen = nullptr;
  HostDrawPath path = nullptr;
  HostDrawPath forgotten = nullptr;
  ASSERT_EQ(supplier.newPen(theSupplier, &orange, 3.0f, &pen), kHostErrorNone);
  ASSERT_EQ(supplier.newPath(theSupplier, &path), kHostErrorNone);
  ASSERT_EQ(supplier.newPath(theSupplier, &forgotten), kHostErrorNone);
  EXPECT_EQ(paths.moveTo(path, 1.0f, 2.0f), kHostErrorNone);
  EXPECT_EQ(paths.lineTo(path, 3.0f, 4.5f), kHostErrorNone);
  EXPECT_EQ(paths.moveTo(path, 5.0f, 6.0f), kHostErrorNone);
  EXPECT_EQ(paths.lineTo(path, 7.0f, 8.0f), kHostErrorNone);
  EXPECT_EQ(paths.lineTo(forgotten, 9.0f, 9.0f), kHostErrorNone);  // starts a piece like a move
  EXPECT_EQ(surface.strokePath(theSurface, pen, path), kHostErrorNone);
  // Objects of the wrong kind are refused, not followed.
  EXPECT_NE(surface.strokePath(reinterpret_cast<HostDrawSurface>(theSupplier), pen, path), kHostErrorNone);
  EXPECT_NE(surface.strokePath(theSurface, reinterpret_cast<HostDrawPen>(path), path), kHostErrorNone);
  EXPECT_NE(supplier.newPen(reinterpret_cast<HostDrawSupplier>(ref), &orange, 1.0f, &pen), kHostErrorNone);
  EXPECT_EQ(pen, nullptr);  // the failed call cleared it; the first pen lives on
  EXPECT_EQ(supplier.releaseObject(AsObject(path)), kHostErrorNone);
  EXPECT_NE(supplier.releaseObject(AsObject(path)), kHostErrorNone);  // released twice
  EXPECT_NE(paths.lineTo(path, 0.0f, 0.0f), kHostErrorNone);         // used after release
  CloseEventDrawing(host->drawing, &handle, &drawing);

  ASSERT_EQ(drawing.strokes.size(), 1u);
  const DrawStroke& stroke = drawing.strokes[0];
  EXPECT_EQ(stroke.size, 3.0f);
  EXPECT_EQ(stroke.color.green, 0.5f);
  EXPECT_EQ(stroke.color.alpha, 0.9f);
  ASSERT_EQ(stroke.subpaths.size(), 2u);
  EXPECT_EQ(stroke.subpaths[0][1].y, 4.5f);
  EXPECT_EQ(stroke.subpaths[1][1].x, 7.0f);
  const DrawingStats stats = ReadDrawingStats(host->drawing);
  EXPECT_EQ(stats.pens, 1);
  EXPECT_EQ(stats.paths, 2);
  EXPECT_EQ(stats.released, 1);
  EXPECT_EQ(stats.leaked, 2);  // the pen and the forgotten path, freed with the event
  EXPECT_EQ(stats.misuses, 5);
  const std::vector<std::string> log = ReadSuiteLog(host->suites, &SuiteServices::drawCalls);
  ASSERT_GE(log.size(), 8u);
  EXPECT_EQ(log[0], "pen 3.000000 1.000000 0.500000 0.000000 0.900000");
  EXPECT_EQ(log[3], "move 1.000000 2.000000");
  EXPECT_EQ(log[4], "line 3.000000 4.500000");
  EXPECT_EQ(log[8], "stroke");
  EXPECT_NE(std::find(log.begin(), log.end(), "release path"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "release unknown object"), log.end());

  // Once the event is over its context is unknown: drawing goes to a scratch
  // surface that keeps nothing. A click's context has no drawing at all.
  ASSERT_EQ(ui.getDrawingReference(&handle, &ref), kHostErrorNone);
  ASSERT_EQ(draw.getSurface(ref, &theSurface), kHostErrorNone);
  OpenEventDrawing(host->drawing, &handle, nullptr);
  EXPECT_NE(ui.getDrawingReference(&handle, &ref), kHostErrorNone);
  EXPECT_EQ(ref, nullptr);
  CloseEventDrawing(host->drawing, &handle, nullptr);
}

// Every window a session draws is logged: the log keeps only its latest
// entries, so that a long session does not grow without end.
TEST(WindowDrawing, TheDrawLogKeepsItsLatestEntriesOnly) {
  SuiteServices services;
  const int64_t calls = 5 * kSuiteLogKeep + 3;
  for (int64_t call = 0; call < calls; ++call) {
    RecordSuiteCall(services, &SuiteServices::drawCalls, std::to_string(call));
  }
  const std::vector<std::string> log = ReadSuiteLog(services, &SuiteServices::drawCalls);
  EXPECT_LE(log.size(), 2 * kSuiteLogKeep);
  EXPECT_GE(log.size(), kSuiteLogKeep);
  EXPECT_EQ(log.back(), std::to_string(calls - 1));
  EXPECT_EQ(SuiteLogCount(services, &SuiteServices::drawCalls), calls);
}
