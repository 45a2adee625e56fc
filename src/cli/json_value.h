#pragma once

// The JSON value every command's output is built from, declared without the library's full
// header so that a header can name it cheaply; the building code includes cli/json_output.h.
#include <nlohmann/json_fwd.hpp>

namespace corvantile::cli {

// Members keep the order they were first set in, so the output reads in the order the code
// builds it; setting a member again replaces its value in place.
//
// Every key the program writes is snake_case ("design_frequency_hz", "caution"); the three
// arrays of the session file keep their own names ("SourceValues", "NetValues",
// "LoadValues"), and keys that are control names keep those names ("lblInputQ").
using Json = nlohmann::ordered_json;

}  // namespace corvantile::cli
