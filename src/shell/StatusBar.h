// The main window's status bar: the message pane (no border, takes the free
// width), then the Caps Lock, Num Lock and Scroll Lock panes, the date and
// the time, sunken and as wide as their texts. A clock refreshes the panes
// once a second.
#pragma once

#include <QStatusBar>
#include <QString>
#include <ctime>
#include <string>

class QAction;
class QLabel;
class QTimer;

// strftime of t as local time with pszFormat in the current C locale; empty
// when the time cannot be converted or the text comes out empty.
std::string FormatClockText(const char* pszFormat, std::time_t t);

class CStatusBar : public QStatusBar
{
public:
    // The panes with their first texts, the strings of their ids, and the
    // running clock.
    explicit CStatusBar(QWidget* pParent = nullptr);
    ~CStatusBar() override;

    // A prompt, the idle message or the view's read-out, painted at once.
    void SetMessageText(const QString& strText);

    // The lock keys, the date and the time. Skipped while a modal dialog or
    // a menu is open and while the bar is not on screen.
    void UpdatePanes();

    // Shows and hides the bar, checked while it is shown.
    QAction* ToggleViewAction() const { return m_pToggleView; }

protected:
    void showEvent(QShowEvent* pEvent) override;
    void hideEvent(QHideEvent* pEvent) override;

private:
    QLabel* AddPane(unsigned nID);
    // The date or the time pane with its current text, as wide as that text.
    void UpdateClockPane(QLabel* pPane, const char* pszFormat);

    QLabel* m_pMessage = nullptr;
    QLabel* m_pCaps = nullptr;
    QLabel* m_pNum = nullptr;
    QLabel* m_pScroll = nullptr;
    QLabel* m_pDate = nullptr;
    QLabel* m_pTime = nullptr;
    QTimer* m_pClock = nullptr;
    QAction* m_pToggleView = nullptr;
};
