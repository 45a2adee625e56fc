#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace corvantile::cli {

// Exit statuses of every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitImpossibleDesign = 1;  // the request was valid but no network exists
inline constexpr int kExitUsage = 2;             // bad command line, unreadable or unwritable file

// What a Take...Option function did with the argument at the cursor.
enum class OptionTake {
  NotMine,  // the next argument is not one of its options: the cursor has not moved
  Taken,    // the option and its value were taken into the request
  Failed,   // an option without its value, or given twice where once is allowed; `error` says
};

// An option argument split at its first "=": "--fix=x2=50" -> name "--fix", value "x2=50";
// "--json" -> name "--json", no value.
struct OptionArgument {
  std::string_view name;
  std::optional<std::string_view> inline_value;
};

// True for "--name" arguments (but not for "--" itself). "-100p" is a value, not an option, so
// that negative numbers can stand anywhere a value does.
bool IsOptionArgument(std::string_view argument);

// True for "-h" and "--help", which every command takes.
bool IsHelpArgument(std::string_view argument);

OptionArgument SplitOption(std::string_view argument);

// Walks the arguments of one command. Options take their value either inline ("--power=1k")
// or from the next argument ("--power 1k"), which is taken whatever it starts with, so that
// "--phase -90" works.
class ArgumentCursor {
 public:
  explicit ArgumentCursor(std::span<const std::string_view> arguments) : arguments_(arguments) {}

  bool AtEnd() const { return position_ >= arguments_.size(); }
  std::string_view Peek() const { return arguments_[position_]; }
  std::string_view Take() { return arguments_[position_++]; }

  // The value of an option whose name has just been taken: the inline value, or the next
  // argument. False, with "OPTION needs a value", when there is none.
  bool TakeValue(const OptionArgument& option, std::string_view& value, std::string& error);

  // The value of an option that names a file, as TakeValue, and false with "OPTION needs a file
  // name" when it is empty.
  bool TakeFileName(const OptionArgument& option, std::string_view& file, std::string& error);

 private:
  std::span<const std::string_view> arguments_;
  std::size_t position_ = 0;
};

}  // namespace corvantile::cli
