#include "shell/Printing.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <memory>

#include "res/PrintStrings.h"
#include "shell/CommandLineInfo.h"
#include "shell/MessageBox.h"
#include "shell/TraceloApp.h"

namespace
{

// Keeps the application's printer with the QApplication, so that a set-up
// lasts until the program ends and goes with it.
class CPrinterHolder : public QObject
{
public:
    explicit CPrinterHolder(QObject* pParent)
        : QObject(pParent), m_pPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution))
    {
        setObjectName(QStringLiteral("TraceloPrinter"));
    }
    QPrinter& Printer() { return *m_pPrinter; }

private:
    std::unique_ptr<QPrinter> m_pPrinter;
};

// The printer named after /pt, when the program was started to print there.
const CCommandLineInfo* PrintToCommand()
{
    const CTraceloApp* pApp = AfxGetApp();
    if (pApp == nullptr || pApp->m_pCmdInfo == nullptr ||
        pApp->m_pCmdInfo->m_nShellCommand != CCommandLineInfo::FilePrintTo)
    {
        return nullptr;
    }
    return pApp->m_pCmdInfo;
}

} // namespace

QPrinter& AfxGetPrinter()
{
    auto* pHolder = qApp->findChild<CPrinterHolder*>(QStringLiteral("TraceloPrinter"),
                                                     Qt::FindDirectChildrenOnly);
    if (pHolder == nullptr)
    {
        pHolder = new CPrinterHolder(qApp);
    }
    return pHolder->Printer();
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
    if (pInfo->m_pPrinter == nullptr)
    {
        pInfo->m_pPrinter = &AfxGetPrinter();
    }
    QPrinter& printer = *pInfo->m_pPrinter;
    if (pInfo->m_bPreview)
    {
        // The preview draws on its own surface and needs no printer.
        return true;
    }
    if (pInfo->m_bDirect)
    {
        if (const CCommandLineInfo* pCmdInfo = PrintToCommand())
        {
            const QString strName = QString::fromLocal8Bit(pCmdInfo->m_strPrinterName);
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
    AfxMessageBox(QString::fromUtf8(res::kFailedToStartPrint), EMsgBoxButtons::Ok,
                  EMsgBoxIcon::Exclamation, pParent);
}

void DoPrintSetup(QWidget* pParent)
{
    // The print dialog without its page choices: the printer, its paper and
    // orientation, kept for the next print.
    QPrintDialog dlg(&AfxGetPrinter(), pParent);
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
