#pragma once

// A band design as text, the same wherever it is shown: the Band page's bound, schematic and
// parts table, and the "Band match" section the design report prints (the desktop's report and
// corvantile-cli report --band alike).
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "analysis/circuits/ladder_circuit.h"
#include "model/design_answers.h"

namespace corvantile {

// "Bode-Fano bound: return loss 18.42 dB (VSWR 1.271), limited by the load" or the note of a
// resistive pair.
std::string BandBoundText(const BandAnswer& answer);

// "Source - series 2.2 uH - shunt 330 pF - Load".
std::string LadderSchematicText(const LadderCircuit& ladder);

// The chosen design's parts: element number, connection, part and value, and its reactance at
// `frequency` ("1", "series", "inductor", "2.2 uH", "51.84 ohm").
std::vector<std::array<std::string, 5>> LadderPartRows(const LadderCircuit& ladder,
                                                       double frequency);

// The chosen design as the report lists it: the bands, the bound, the ladder, its figures and
// its parts, one line each. None for a design the answer does not hold.
std::vector<std::string> BandReportLines(const BandAnswer& answer, std::size_t design);

}  // namespace corvantile
