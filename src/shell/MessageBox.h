// The program's message box: the program's name as caption, Italian
// buttons, and the usual icon when none is asked for (an
// exclamation mark beside OK, a question mark beside Yes/No/Cancel).
#pragma once

#include <QString>

class QWidget;

enum class EMsgBoxButtons
{
    Ok,
    YesNoCancel,
};

enum class EMsgBoxIcon
{
    Default,
    Exclamation,
    Question,
};

enum class EMsgBoxResult
{
    Ok,
    Yes,
    No,
    Cancel,
};

// Shows strText modally for pParent (a window of the program, or null when
// it has none), centred over the main window, and returns the button
// pressed. Escape or the close box gives Cancel when there is a Cancel
// button, else OK.
EMsgBoxResult ShowMessageBox(QWidget* pParent, const QString& strText,
                             EMsgBoxButtons eButtons = EMsgBoxButtons::Ok,
                             EMsgBoxIcon eIcon = EMsgBoxIcon::Default);
