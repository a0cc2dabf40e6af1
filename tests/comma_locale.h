// Switches the whole process (the loaded module too) to a locale that writes
// a decimal comma, for one scope: numbers we write into files and scripts
// must keep their decimal point whatever locale the host runs in.
#pragma once

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

struct ScopedCommaLocale {
  ScopedCommaLocale() {
    const char* current = std::setlocale(LC_ALL, nullptr);
    previous = current != nullptr ? current : "C";
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "German_Germany.1252", "German", "de-DE"}) {
      if (std::setlocale(LC_ALL, name) != nullptr && WritesDecimalComma()) {
        active = true;
        return;
      }
    }
    std::setlocale(LC_ALL, previous.c_str());
  }
  ~ScopedCommaLocale() { std::setlocale(LC_ALL, previous.c_str()); }
  ScopedCommaLocale(const ScopedCommaLocale&) = delete;
  ScopedCommaLocale& operator=(const ScopedCommaLocale&) = delete;

  static bool WritesDecimalComma() {
    char text[16];
    std::snprintf(text, sizeof(text), "%.1f", 0.5);
    return std::strcmp(text, "0,5") == 0;
  }

  std::string previous;
  bool active = false;  // false: no comma locale is installed here
};

// Linux machines get de_DE.UTF-8 from scripts/ensure-packages.sh, so its
// absence there is a failure; a Windows run without one skips.
#ifdef _WIN32
#define SPINDREL_REQUIRE_COMMA_LOCALE(scope) \
  if (!(scope).active) GTEST_SKIP() << "no locale with a decimal comma"
#else
#define SPINDREL_REQUIRE_COMMA_LOCALE(scope) \
  ASSERT_TRUE((scope).active) << "no locale with a decimal comma: run scripts/run-tests, which generates de_DE.UTF-8"
#endif
