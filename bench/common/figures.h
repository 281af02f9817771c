// How every benchmark program reports: besides its own readable output, one
// line per figure that scripts/bench.sh gathers into the summary table.
//   FIGURE|<figure>|<measured>|<target>|<met: yes/no/->
//   TIME|<what>|<value with unit>
// Ratios come from measurements taken side by side in the same run; the
// times are printed for reading and never compared with a limit.
#pragma once

#include <cstdio>
#include <string>

enum class TTargetKind { AT_MOST, AT_LEAST, NONE };

inline void PrintFigure(const std::string& sFigure, double dMeasured, TTargetKind kind, double dTarget) {
  const char* pMet = "-";
  std::string sTarget = "-";
  char szBuffer[64];
  if (kind != TTargetKind::NONE) {
    std::snprintf(szBuffer, sizeof szBuffer, "%s %g", kind == TTargetKind::AT_MOST ? "<=" : ">=", dTarget);
    sTarget = szBuffer;
    const bool bMet = kind == TTargetKind::AT_MOST ? dMeasured <= dTarget : dMeasured >= dTarget;
    pMet = bMet ? "yes" : "NO";
  }
  std::printf("FIGURE|%s|%.3f|%s|%s\n", sFigure.c_str(), dMeasured, sTarget.c_str(), pMet);
  std::fflush(stdout);
}

inline void PrintCount(const std::string& sWhat, long long iCount) {
  std::printf("TIME|%s|%lld\n", sWhat.c_str(), iCount);
  std::fflush(stdout);
}

inline void PrintTime(const std::string& sWhat, double dValue, const char* pUnit) {
  std::printf("TIME|%s|%.3f %s\n", sWhat.c_str(), dValue, pUnit);
  std::fflush(stdout);
}
