// Every window of the program in the state that shows the most of it: the main window with a
// device chosen, both option groups open and a listed file with its status (and as it opens for
// a new user), the progress window,
// the overwrite prompt, the end-of-batch summary and the side dialogs. For the tests that look at
// every control, and for pictures of the windows.
#pragma once

#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class TUserPrompts;

struct TShownWindow {
    // "main", "first-start", "progress", "overwrite", "summary", "report-bug", "request-device", "about"
    QString Name;
    std::unique_ptr<QWidget> Window;
};

// Writes a catalogue of the media player class into programDir (with its trailing separator) and
// links the real encoder there.
void PrepareProgramDir(const QString& programDir);

// Creates and shows every window over programDir, answering their prompts with prompts.
std::vector<TShownWindow> ShowEveryWindow(const QString& programDir, TUserPrompts& prompts);
