#pragma once

// The desktop program's command line:
//   corvantile [--session FILE] [DESIGN.cfg]
//   corvantile [--session FILE] --screenshot FILE.png [--screen WIDTHxHEIGHT] [--window NAME]
//   corvantile --help | --version
#include <optional>
#include <span>
#include <string>
#include <variant>

namespace corvantile {

struct ScreenPixels {
  int width = 0, height = 0;
  friend bool operator==(const ScreenPixels&, const ScreenPixels&) = default;
};

// The windows --screenshot can picture.
enum class ShownWindow { Opening, Design, Source, Load, Frequency, Power, Phase, Response, Parts };

struct AppOptions {
  std::optional<std::string> sessionFile;    // read instead of ./LastSession.CFG
  std::optional<std::string> designFile;     // opened at start, straight into the design window
  std::optional<std::string> screenshot;     // PNG to write instead of opening the window
  std::optional<ScreenPixels> screen;        // the screen to lay the window out for
  ShownWindow window = ShownWindow::Design;  // the window --screenshot pictures
  bool help = false;
  bool version = false;
  friend bool operator==(const AppOptions&, const AppOptions&) = default;
};

// A one-line error for a bad command line, without the program's name.
struct AppOptionsError {
  std::string message;
};

// Reads the arguments after the program name. "--screen 1280x800" -> {1280, 800}; sizes run
// from 320x240 to 16384x16384.
std::variant<AppOptions, AppOptionsError> ParseAppOptions(std::span<const std::string> args);

// "1920x1080" -> {1920, 1080}; nullopt for anything else, e.g. "1920", "0x600" or "99999x1".
std::optional<ScreenPixels> ParseScreenSize(const std::string& text);

// "opening", "design", "source", "load", "frequency", "power", "phase", "response", "parts";
// nullopt otherwise.
std::optional<ShownWindow> ParseShownWindow(const std::string& text);

// The --help text. Its usage lines are one line a form ("Usage: ...", then "  or:  ..."), as
// help2man reads them into the man page's SYNOPSIS.
std::string AppUsage();

// The --version text: "corvantile 3.1\n", the project's version.
std::string AppVersion();

}  // namespace corvantile
