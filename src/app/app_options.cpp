#include "app/app_options.h"

#include <charconv>
#include <string_view>
#include <utility>

#include "state/message_text.h"

namespace corvantile {
namespace {

constexpr int kMinWidth = 320, kMinHeight = 240, kMaxSide = 16384;

std::optional<int> ParseSide(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<ScreenPixels> ParseScreenSize(const std::string& text) {
  const std::size_t x = text.find('x');
  if (x == std::string::npos) return std::nullopt;
  const std::optional<int> width = ParseSide(std::string_view(text).substr(0, x));
  const std::optional<int> height = ParseSide(std::string_view(text).substr(x + 1));
  if (!width || !height) return std::nullopt;
  if (*width < kMinWidth || *height < kMinHeight || *width > kMaxSide || *height > kMaxSide) {
    return std::nullopt;
  }
  return ScreenPixels{*width, *height};
}

std::optional<ShownWindow> ParseShownWindow(const std::string& text) {
  static constexpr std::pair<std::string_view, ShownWindow> kNames[] = {
      {"opening", ShownWindow::Opening},     {"design", ShownWindow::Design},
      {"source", ShownWindow::Source},       {"load", ShownWindow::Load},
      {"frequency", ShownWindow::Frequency}, {"power", ShownWindow::Power},
      {"phase", ShownWindow::Phase},         {"response", ShownWindow::Response},
      {"parts", ShownWindow::Parts}};
  for (const auto& [name, window] : kNames) {
    if (text == name) return window;
  }
  return std::nullopt;
}

std::variant<AppOptions, AppOptionsError> ParseAppOptions(std::span<const std::string> args) {
  AppOptions options;
  bool windowGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      continue;
    }
    if (arg == "--version") {
      options.version = true;
      continue;
    }
    if (!arg.empty() && arg.front() != '-') {
      // A bare word such as "design" is far more often a command meant for corvantile-cli than
      // a design file without an extension (which "./name" still opens).
      if (arg.find_first_of("./") == std::string::npos) {
        return AppOptionsError{QuotedValue(arg) +
                               " is not a design file such as tank.cfg (commands such as "
                               "design belong to corvantile-cli; try --help)"};
      }
      if (options.designFile) {
        return AppOptionsError{"only one design file can be opened, not '" + arg + "' too"};
      }
      options.designFile = arg;
      continue;
    }
    if (arg != "--session" && arg != "--screenshot" && arg != "--screen" && arg != "--window") {
      return AppOptionsError{"unknown argument '" + arg + "' (try --help)"};
    }
    if (i + 1 >= args.size() || args[i + 1].empty()) {
      return AppOptionsError{arg + " needs a value (try --help)"};
    }
    const std::string& value = args[++i];
    if (arg == "--session") {
      options.sessionFile = value;
    } else if (arg == "--screenshot") {
      options.screenshot = value;
    } else if (arg == "--window") {
      const std::optional<ShownWindow> window = ParseShownWindow(value);
      if (!window) {
        return AppOptionsError{
            "--window wants opening, design, source, load, frequency, power, phase, "
            "response or parts, not '" +
            value + "'"};
      }
      options.window = *window;
      windowGiven = true;
    } else {
      options.screen = ParseScreenSize(value);
      if (!options.screen) {
        return AppOptionsError{"--screen wants WIDTHxHEIGHT in pixels, such as 1024x768, not '" +
                               value + "'"};
      }
    }
  }
  if (options.designFile && options.screenshot) {
    return AppOptionsError{"a design file opens the program; --screenshot pictures without it"};
  }
  if (windowGiven && !options.screenshot) {
    return AppOptionsError{"--window only chooses the window --screenshot pictures (try --help)"};
  }
  return options;
}

std::string AppUsage() {
  return "Usage: corvantile [--session FILE] [DESIGN.cfg]\n"
         "  or:  corvantile --screenshot FILE.png [--screen WIDTHxHEIGHT] [--window NAME]\n"
         "  or:  corvantile --help | --version\n"
         "\n"
         "Opens the title screen; \"Start\" opens the design window for the circuit of the last\n"
         "session (LastSession.CFG in the working directory). \"Exit\" in the design window saves\n"
         "the circuit there again; \"Exit / Quit\" and closing a window do not. With DESIGN.cfg,\n"
         "a design file saved before (a path with a dot or a slash), the design window opens\n"
         "at once with that design.\n"
         "\n"
         "In the design and response windows: Ctrl+Z undo, Ctrl+Shift+Z or Ctrl+Y redo,\n"
         "Ctrl+S save the design (in LastSession.CFG's format, its settings beside it as\n"
         "DESIGN.json), Ctrl+Shift+S save as (a name without .cfg gets it), Ctrl+O open,\n"
         "Ctrl+Shift+O the last 8 opened, Ctrl+P write the design report as a PDF (as\n"
         "\"Report...\" does, the same file as corvantile-cli report). In the design window\n"
         "Ctrl+C copies the design as text, the report corvantile-cli design prints for it.\n"
         "\"Exit\" asks first whether to save a changed design file.\n"
         "\n"
         "  --session FILE          start (or picture) from this session file instead of\n"
         "                          LastSession.CFG\n"
         "  --screenshot FILE.png   write a picture of a window instead of opening the program\n"
         "                          (needs no display; nothing is saved)\n"
         "  --screen WIDTHxHEIGHT   lay the window out for a screen of this many pixels\n"
         "                          (default: the screen in use, or 1024x768 without one)\n"
         "  --window NAME           the window --screenshot pictures: opening, design (the\n"
         "                          default), the dialog source, load, frequency, power or\n"
         "                          phase as the design window would open it, or response\n"
         "                          (the response window beside it) or parts (the same\n"
         "                          window on its Parts page)\n"
         "  --help                  show this text\n"
         "  --version               show the version\n"
         "\n"
         "For designs without a display, use corvantile-cli.\n";
}

std::string AppVersion() { return std::string("corvantile ") + CORVANTILE_VERSION + "\n"; }

}  // namespace corvantile
