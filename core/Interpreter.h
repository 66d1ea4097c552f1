#pragma once
// The command interpreter: replays a compiled log through a graphic device.
#include <string>

class PlotCookie;
class gd_object;

class Interpreter {
 public:
  // Opens the log at `path` with a file of its own and checks its header (a
  // refusal is reported through the cookie, and the replay then fails as a
  // read on the closed file: FileError 103). Calls device.begin_log, then
  // every record in file order through the opcode table, reporting progress
  // in steps of more than a tenth and asking cookie.should_stop() after every
  // record (a stop ends quietly). Calls device.end_log and closes the file
  // however the replay ends; FileError and the device's errors propagate.
  static void Replay(const std::string& path, gd_object& device, PlotCookie& cookie);

  Interpreter() = delete;
};
