// Function tables of the host suites the effect uses, by name and version.
// Slots the effect never calls are kept as placeholders so that every used
// function sits at its slot number (counted from 0).
#pragma once

#include <cstddef>
#include <cstdint>

#include "host_interface/host_errors.h"
#include "host_interface/host_event.h"

using HostSuiteSlot = void (*)();

// "AEGP Utility Suite" 13 -------------------------------------------------
constexpr char kUtilitySuiteName[] = "AEGP Utility Suite";
constexpr int32_t kUtilitySuiteVersion = 13;

struct HostMemBlock;
using HostMemHandle = HostMemBlock*;

struct HostUtilitySuite13 {
  HostSuiteSlot reserved0to6[7];
  HostError (*startUndoGroup)(const char* name);  // slot 7
  HostError (*endUndoGroup)();                    // slot 8
  HostSuiteSlot reserved9to27[19];
  // slot 28: runs a script in the host's scripting engine.
  HostError (*executeScript)(int32_t pluginId, const char* script, uint8_t platformEncoding,
                             HostMemHandle* result, HostMemHandle* error);
};

// Drawing objects handed out by the drawing suites.
struct HostDrawRefObject;
struct HostDrawSupplierObject;
struct HostDrawSurfaceObject;
struct HostDrawPenObject;
struct HostDrawPathObject;
struct HostDrawAnyObject;
using HostDrawRef = HostDrawRefObject*;
using HostDrawSupplier = HostDrawSupplierObject*;
using HostDrawSurface = HostDrawSurfaceObject*;
using HostDrawPen = HostDrawPenObject*;
using HostDrawPath = HostDrawPathObject*;
using HostDrawObject = HostDrawAnyObject*;  // pens and paths are released as objects

struct HostColorRGBA {
  float red;
  float green;
  float blue;
  float alpha;
};

// "PF Effect Custom UI Suite" 1 -------------------------------------------
constexpr char kCustomUISuiteName[] = "PF Effect Custom UI Suite";
constexpr int32_t kCustomUISuiteVersion = 1;

struct HostCustomUISuite1 {
  HostError (*getDrawingReference)(HostContextHandle context, HostDrawRef* drawRef);  // slot 0
};

// "DRAWBOT Draw Suite" 1 --------------------------------------------------
constexpr char kDrawSuiteName[] = "DRAWBOT Draw Suite";
constexpr int32_t kDrawSuiteVersion = 1;

struct HostDrawSuite1 {
  HostError (*getSupplier)(HostDrawRef drawRef, HostDrawSupplier* supplier);  // slot 0
  HostError (*getSurface)(HostDrawRef drawRef, HostDrawSurface* surface);     // slot 1
};

// "DRAWBOT Supplier Suite" 1 ----------------------------------------------
constexpr char kSupplierSuiteName[] = "DRAWBOT Supplier Suite";
constexpr int32_t kSupplierSuiteVersion = 1;

struct HostSupplierSuite1 {
  HostError (*newPen)(HostDrawSupplier supplier, const HostColorRGBA* color, float size,
                      HostDrawPen* pen);  // slot 0
  HostSuiteSlot reserved1to5[5];
  HostError (*newPath)(HostDrawSupplier supplier, HostDrawPath* path);  // slot 6
  HostSuiteSlot reserved7to11[5];
  HostError (*releaseObject)(HostDrawObject object);  // slot 12
};

// "DRAWBOT Surface Suite" 2 -----------------------------------------------
constexpr char kSurfaceSuiteName[] = "DRAWBOT Surface Suite";
constexpr int32_t kSurfaceSuiteVersion = 2;

struct HostSurfaceSuite2 {
  HostSuiteSlot reserved0to3[4];
  HostError (*strokePath)(HostDrawSurface surface, HostDrawPen pen, HostDrawPath path);  // slot 4
};

// "DRAWBOT Path Suite" 1 --------------------------------------------------
constexpr char kPathSuiteName[] = "DRAWBOT Path Suite";
constexpr int32_t kPathSuiteVersion = 1;

struct HostPathSuite1 {
  HostError (*moveTo)(HostDrawPath path, float x, float y);  // slot 0
  HostError (*lineTo)(HostDrawPath path, float x, float y);  // slot 1
};

// Every slot is one pointer wide.
static_assert(sizeof(HostSuiteSlot) == sizeof(void*));
static_assert(offsetof(HostUtilitySuite13, startUndoGroup) == 7 * sizeof(void*));
static_assert(offsetof(HostUtilitySuite13, endUndoGroup) == 8 * sizeof(void*));
static_assert(offsetof(HostUtilitySuite13, executeScript) == 28 * sizeof(void*));
static_assert(offsetof(HostDrawSuite1, getSurface) == 1 * sizeof(void*));
static_assert(offsetof(HostSupplierSuite1, newPath) == 6 * sizeof(void*));
static_assert(offsetof(HostSupplierSuite1, releaseObject) == 12 * sizeof(void*));
static_assert(offsetof(HostSurfaceSuite2, strokePath) == 4 * sizeof(void*));
static_assert(offsetof(HostPathSuite1, lineTo) == 1 * sizeof(void*));
