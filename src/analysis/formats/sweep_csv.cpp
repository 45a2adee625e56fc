#include "analysis/formats/sweep_csv.h"

#include "analysis/formats/number_text.h"

namespace corvantile {

std::string_view SweepCsvHeader() {
  return "frequency_Hz,zin_real_ohm,zin_imag_ohm,reflection_real,reflection_imag,"
         "return_loss_dB,vswr,transducer_gain_dB,transfer_phase_deg,load_power_W";
}

std::string SweepCsv(std::span<const ResponsePoint> sweep) {
  std::string text(SweepCsvHeader());
  text += '\n';
  text.reserve(text.size() + sweep.size() * 200);
  for (const ResponsePoint& p : sweep) {
    for (const double value : {p.frequency, p.inputImpedance.real(), p.inputImpedance.imag(),
                               p.reflection.real(), p.reflection.imag(), p.returnLossDb, p.vswr,
                               p.transducerGainDb, p.transferPhaseDeg, p.loadPower}) {
      text += ExactNumber(value);
      text += ',';
    }
    text.back() = '\n';
  }
  return text;
}

}  // namespace corvantile
