// The status bar as a row of panes addressed by index: pane 0 is the message
// pane (no border, takes the free width), the others are sunken and as wide
// as the width given to them. Each pane has an id, whose string gives its
// first text.
#pragma once

#include <QStatusBar>
#include <QString>
#include <vector>

class QLabel;

enum EPaneStyle : unsigned
{
    SBPS_NORMAL = 0,
    SBPS_NOBORDERS = 1u << 0,
    SBPS_POPOUT = 1u << 1,
    SBPS_DISABLED = 1u << 2, // the pane's text is not shown
    SBPS_STRETCH = 1u << 3,
};

class CStatusBar : public QStatusBar
{
public:
    CStatusBar();
    ~CStatusBar() override;

    // The bar inside pParentWnd, with its size grip.
    bool Create(QWidget* pParentWnd);

    // Replaces the panes by one per id, each with the text of the string of
    // that id (pane id 0: empty) and as wide as that text. False when a
    // non-zero id has no string.
    bool SetIndicators(const unsigned* pIDArray, int nIDCount);

    int GetCount() const { return static_cast<int>(m_vPanes.size()); }
    int CommandToIndex(unsigned nID) const;
    unsigned GetItemID(int nIndex) const;

    void GetPaneInfo(int nIndex, unsigned& nID, unsigned& nStyle, int& cxWidth) const;
    // Lays the bar out again only when the width changed.
    void SetPaneInfo(int nIndex, unsigned nID, unsigned nStyle, int cxWidth);
    unsigned GetPaneStyle(int nIndex) const;
    void SetPaneStyle(int nIndex, unsigned nStyle);

    QString GetPaneText(int nIndex) const;
    // bUpdate repaints the pane at once rather than at the next paint.
    bool SetPaneText(int nIndex, const QString& strText, bool bUpdate = true);

    // Width of strText in the bar's font, as the panes are measured.
    int MeasureText(const QString& strText) const;

private:
    struct CPane
    {
        unsigned m_nID = 0;
        unsigned m_nStyle = SBPS_NORMAL;
        int m_cxText = 0;
        QString m_strText;
        QLabel* m_pLabel = nullptr;
    };

    void ApplyPane(CPane& pane);

    std::vector<CPane> m_vPanes;
};
