#pragma once

// A feedline as the user names it, in the one grammar the command line's options and the
// design's settings file share, and its figures as report lines.
//
//   LineChoice choice;
//   ParseLineChoice("--line", "RG-213:30", choice, error)   -> true, "30 m of RG-213"
//   ParseLineChoice("feedline", "RG-999:30", choice, error) -> false,
//     "feedline: no cable 'RG-999' (RG-58, RG-8X, ...)"
#include <string>
#include <string_view>

#include "analysis/circuits/transmission_line.h"

namespace corvantile {

// A cable of the table and a length ("RG-213:30", "rg213:98.4ft"), or the line's figures:
// impedance, velocity factor, matched loss in dB per 100 m at one or more frequencies (per
// 100 ft with "/100ft" after them; 0 for a lossless line) and length:
// "50:0.66:0.6@10M,2.2@100M/100ft:30m"; or a line measured with its far end open and shorted,
// "measured:open.s1p:short.s1p:30", fitted (impedance, velocity factor, loss) to them.
struct LineChoice {
  TransmissionLine line;
  std::string description;  // "30 m of RG-213"
  std::string source;       // "Belden 8267 RG-213/U datasheet", or "" for typed figures
  double nominalImpedance = 50.0;
  double velocityFactor = 0.66;
};
// `option` names the line's origin in `error` ("--line", "feedline").
bool ParseLineChoice(std::string_view option, std::string_view text, LineChoice& choice,
                     std::string& error);

// The cable table's names, as a list: "RG-58, RG-8X, RG-213, ...".
std::string CableNames();

// Which side of the network the line runs to. Load: from the network to the load (the network
// at the radio end); Source: from the source to the network (the network at the antenna).
enum class LinePlace { Load, Source };

// The figures at the design frequency `f0` as report lines, from "Feedline: 30 m of RG-213,
// between the network and the load ..." to the peak voltage along the line.
std::string LineFiguresText(const LineChoice& choice, LinePlace place, double f0,
                            const LineFigures& figures);

}  // namespace corvantile
