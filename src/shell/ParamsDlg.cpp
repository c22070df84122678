#include "shell/ParamsDlg.h"

#include "core/doc/DialogValues.h"
#include "res/EditDialogs.h"

namespace
{

// The C library's text is in the locale's own encoding.
QString FromLocal(const std::string& str)
{
    return QString::fromLocal8Bit(str.data(), static_cast<qsizetype>(str.size()));
}

std::string ToLocal(const QString& str)
{
    return str.toLocal8Bit().toStdString();
}

} // namespace

CParamsDlg::CParamsDlg(QWidget* pParent) : CDialog(res::kParamsDialog, pParent)
{
}

CParamsDlg::~CParamsDlg() = default;

bool CParamsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetControlText(res::IDC_XMIN, FromLocal(FormatParamValue(m_window.m_dXMin)));
    SetControlText(res::IDC_XMAX, FromLocal(FormatParamValue(m_window.m_dXMax)));
    SetControlText(res::IDC_YMIN, FromLocal(FormatParamValue(m_window.m_dYMin)));
    SetControlText(res::IDC_YMAX, FromLocal(FormatParamValue(m_window.m_dYMax)));
    SetControlText(res::IDC_DIVISIONS, FromLocal(FormatDivisions(m_nDivisions)));
    CheckDlgButton(res::IDC_GRID, m_bGrid);
    GotoDlgCtrl(res::IDC_XMIN);
    return false;
}

void CParamsDlg::OnOK()
{
    m_window.m_dXMin = ParsePiValue(ToLocal(GetControlText(res::IDC_XMIN)));
    m_window.m_dXMax = ParsePiValue(ToLocal(GetControlText(res::IDC_XMAX)));
    m_window.m_dYMin = ParseNumber(ToLocal(GetControlText(res::IDC_YMIN)));
    m_window.m_dYMax = ParseNumber(ToLocal(GetControlText(res::IDC_YMAX)));
    m_nDivisions = ParseWholeNumber(ToLocal(GetControlText(res::IDC_DIVISIONS)));
    m_bGrid = IsDlgButtonChecked(res::IDC_GRID);
    CDialog::OnOK();
}
