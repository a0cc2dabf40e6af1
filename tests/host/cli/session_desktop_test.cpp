// The desktop stand-in of an editing session: the host reads only the
// records it expects from a directory of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/cli/desktop_standin.h"
#include "host/desktop/desktop_records.h"
#include "tests/host/cli/cli_run.h"

namespace fs = std::filesystem;

// The stand-in's files lie in a directory only this user can enter, gone
// with the stand-in, and a record that no dialog of the effect writes is
// refused rather than reported.
TEST(SessionDesktop, TheHostReadsOnlyTheRecordsItExpectsFromADirectoryOfItsOwn) {
  std::unique_ptr<DesktopStandIn> desktop = OpenDesktopStandIn(BuiltProgramDirectory());
  const std::string directory = desktop->directory;
  EXPECT_EQ(fs::status(directory).permissions() & fs::perms::all, fs::perms::owner_all);
  const std::pair<std::string, bool> cases[] = {
      {"alert\tSpindrel\tJSON Exported Successfully!", true},
      {"prompt\tSave Spindrel SVG\t/given.svg", true},
      {"prompt\tSave Spindrel SVG\t/elsewhere.svg", false},  // not the answer given
      {"alert\tSpindrel\tSaved to /elsewhere.svg", false},
      {"alert\tSpindrel: Export JSON\tNo path data cached.", false},
      {"note\tanything", false},
  };
  for (const auto& [record, expected] : cases) {
    SCOPED_TRACE(record);
    AnswerPromptsWith(*desktop, "/given.svg");
    std::ofstream(directory + "/" + kDesktopEventsFile) << record << "\n";
    bool accepted = true;
    try {
      EXPECT_EQ(TakeDesktopEvents(*desktop).size(), 1u);
    } catch (const CliFailure& failure) {
      accepted = false;
      EXPECT_EQ(failure.message.rfind("the host's desktop stand-in reported what no dialog of the effect shows: ", 0),
                0u);
    }
    EXPECT_EQ(accepted, expected);
  }
  desktop.reset();
  EXPECT_FALSE(fs::exists(directory));
}
