// The function properties dialog: the expression of a function and its
// colour from the palette of nine.
#pragma once

#include <QIcon>
#include <QString>
#include <vector>

#include "core/expr/GraphFunction.h"
#include "shell/Dialog.h"

class CFunctionDlg : public CDialog
{
public:
    explicit CFunctionDlg(QWidget* pParent = nullptr);
    ~CFunctionDlg() override;

    // The function's present colour, for editing: its palette item opens
    // selected, and OK without a selected item keeps it. Without this call
    // nothing is selected and OK without a selection gives black.
    void SetCurrentColor(COLORREF crColor);

    bool OnInitDialog() override;
    void OnOK() override;

    std::vector<QIcon> m_imageList;
    QString m_strExpression; // set by the caller; on OK the text exactly as typed
    COLORREF m_crColor = 0;  // on OK: the chosen colour

private:
    bool m_bHasCurrentColor = false;
};
