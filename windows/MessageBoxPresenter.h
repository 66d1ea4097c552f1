#pragma once
// The message boxes of a program with windows: installs the presenter that
// shows platform::ShowMessageBox's boxes in Interactive mode as QMessageBox
// dialogs over the active window. A program installs it once its
// QApplication exists.
void InstallMessageBoxPresenter();
