// The parameters dialog: the plotting window, the divisions and the grid
// switch of a graph, shown and read in the user's number format. It corrects
// nothing; the command that runs it does.
#pragma once

#include <cstdint>

#include "core/expr/PlotWindow.h"
#include "shell/Dialog.h"

class CParamsDlg : public CDialog
{
public:
    explicit CParamsDlg(QWidget* pParent = nullptr);
    ~CParamsDlg() override;

    bool OnInitDialog() override;
    void OnOK() override;

    // Assigned by the caller before the dialog runs; read back on OK.
    CPlotWindow m_window;
    std::int32_t m_nDivisions = 0;
    bool m_bGrid = false;
};
