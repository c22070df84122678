#include "shell/Printing.h"

#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

#include "res/PrintStrings.h"
#include "shell/MessageBox.h"

CPrintSettings::CPrintSettings() = default;

CPrintSettings::~CPrintSettings() = default;

QPrinter& CPrintSettings::GetPrinter()
{
    if (m_pPrinter == nullptr)
    {
        m_pPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    return *m_pPrinter;
}

bool HasPrinter(const QPrinter& printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat)
    {
        return !printer.outputFileName().isEmpty();
    }
    return !printer.printerName().isEmpty();
}

bool DoPreparePrinting(QWidget* pParent, CPrintInfo* pInfo)
{
    QPrinter& printer = *pInfo->m_pPrinter;
    if (pInfo->m_bPreview)
    {
        // The preview draws on its own surface and needs no printer.
        return true;
    }
    if (pInfo->m_bDirect)
    {
        if (pInfo->m_pstrPrintTo != nullptr)
        {
            const QString strName = QString::fromLocal8Bit(*pInfo->m_pstrPrintTo);
            if (strName.isEmpty() || QPrinterInfo::printerInfo(strName).isNull())
            {
                ShowPrintError(pParent);
                return false;
            }
            printer.setPrinterName(strName);
        }
        else if (!HasPrinter(printer))
        {
            const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
            if (defaultPrinter.isNull())
            {
                ShowPrintError(pParent);
                return false;
            }
            printer.setPrinterName(defaultPrinter.printerName());
        }
        printer.setPrintRange(QPrinter::AllPages);
        return true;
    }

    QPrintDialog dlg(&printer, pParent);
    dlg.setMinMax(pInfo->m_nMinPage, pInfo->m_nMaxPage);
    dlg.setOption(QAbstractPrintDialog::PrintSelection, false);
    dlg.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return dlg.exec() == QDialog::Accepted;
}

void ShowPrintError(QWidget* pParent)
{
    ShowMessageBox(pParent, QString::fromUtf8(res::kFailedToStartPrint), EMsgBoxButtons::Ok,
                   EMsgBoxIcon::Exclamation);
}

void DoPrintSetup(QWidget* pParent, QPrinter& printer)
{
    // The print dialog without its page choices: the printer, its paper and
    // orientation, kept for the next print.
    QPrintDialog dlg(&printer, pParent);
    dlg.setWindowTitle(QString::fromUtf8(res::kPrintSetupTitle));
    dlg.setObjectName(QStringLiteral("TraceloPrintSetup"));
    dlg.setOptions(QAbstractPrintDialog::PrintToFile);
    if (auto* pButtons = dlg.findChild<QDialogButtonBox*>())
    {
        if (QPushButton* pOk = pButtons->button(QDialogButtonBox::Ok))
        {
            pOk->setText(QString::fromUtf8(res::kPrintSetupOk));
        }
    }
    dlg.exec();
}
