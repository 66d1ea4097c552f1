#pragma once
// Finding and raising another program's main window.
//
// A Windows program finds a running program by the class name of its
// top-level window. On Linux there is no such registry that every desktop
// shares, so the lookup here asks for a running process instead: class
// "TTarnfel" (a "T" and the program's name) stands for a process whose name
// is "tarnfel" or begins with it, ignoring case ("Tarnfel2001").
#include <optional>
#include <string>

namespace platform {

struct TopLevelWindow {
  long processId = 0;
  std::string processName;
};

// A running program of this user (other than this one) whose top-level
// window has the class className; one that publishes its window (see
// WindowRequests.h) before one that does not; nothing when none runs.
std::optional<TopLevelWindow> FindTopLevelWindow(const std::string& className);

// Restores and shows the window, raised and active. Only a program that
// publishes its window can be asked (the viewer does, under any name);
// false when the program does not answer.
bool RestoreTopLevelWindow(const TopLevelWindow& window);

// Tests replace the lookup; nullptr restores the real one.
using TopLevelWindowFinder = std::optional<TopLevelWindow> (*)(const std::string& className);
void SetTopLevelWindowFinderForTests(TopLevelWindowFinder finder);

}  // namespace platform
