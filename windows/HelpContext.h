#pragma once
// Help context numbers of windows and controls, and the F1 key. F1 shows the
// topic of the control that has the keyboard focus: its own number or, when
// it has none, the number of the nearest widget that holds it (its dialog,
// its window), as the Help buttons of those windows do.
#include <functional>

class QWidget;

void SetHelpContext(QWidget* widget, int context);
// The number F1 uses for widget; 0 when neither it nor a holder has one.
int HelpContextOf(const QWidget* widget);

// Makes F1 show help in every window of the program: show receives the help
// context number. nullptr takes the key away again.
void InstallHelpKey(std::function<void(int context)> show);
