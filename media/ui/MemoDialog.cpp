#include "media/ui/MemoDialog.h"

#include "ui_MemoDialog.h"

#include "media/MemoText.h"
#include "media/ui/MemoEdit.h"
#include "platform/Services.h"
#include "print/ui/MemoPrintJob.h"
#include "print/ui/SessionPrinter.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace orvel {

namespace {

QString filterWithAllFiles()
{
    QString filter = LoadQString(ids::kFilterTextFiles);
    while (filter.endsWith(u'|'))
        filter.chop(1);
    return filter + u'|' + LoadQString(ids::kFilterAllFiles);
}

} // namespace

MemoDialog::MemoDialog(AnsiView memo, const PageSettings &page, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::MemoDialog>())
    , m_original(memo)
    , m_page(page)
{
    m_ui->setupUi(this);
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->readButton, &QPushButton::clicked, this, &MemoDialog::ReadTextFile);
    connect(m_ui->saveButton, &QPushButton::clicked, this, &MemoDialog::SaveTextFile);
    connect(m_ui->printButton, &QPushButton::clicked, this, &MemoDialog::Print);
    m_ui->memoEdit->setPlainText(MemoToEditorText(memo));
    // Compared in the form the editor gives back, so that an untouched memo
    // keeps its bytes whatever its line ends were.
    m_shown = m_ui->memoEdit->Text();
    m_ui->memoEdit->setFocus();
}

MemoDialog::~MemoDialog() = default;

MemoEdit *MemoDialog::Editor() const
{
    return m_ui->memoEdit;
}

QPushButton *MemoDialog::OkButton() const
{
    return m_ui->okButton;
}

QPushButton *MemoDialog::ReadButton() const
{
    return m_ui->readButton;
}

QPushButton *MemoDialog::SaveButton() const
{
    return m_ui->saveButton;
}

QPushButton *MemoDialog::PrintButton() const
{
    return m_ui->printButton;
}

bool MemoDialog::IsChanged() const
{
    return m_ui->memoEdit->Text() != m_shown;
}

AnsiString MemoDialog::Memo() const
{
    return IsChanged() ? EditorTextToMemo(m_ui->memoEdit->Text()) : m_original;
}

void MemoDialog::ReadTextFile()
{
    int filterIndex = 1;
    const QString path = services().getOpenFileName(QStringLiteral("Öffnen"), filterWithAllFiles(), &filterIndex,
                                                    QStringLiteral("txt"));
    if (!path.isEmpty())
        InsertTextFile(path);
}

bool MemoDialog::InsertTextFile(const QString &path)
{
    const QString shownPath = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        MessageBoxById(ids::kMsgMemoNotRead, MsgIcon::Exclamation);
        return false;
    }
    const TextFileCheck check = CheckTextFile(file.peek(kTextFileSampleSize), file.size());
    if (check.binary
        && MessageBoxById(ids::kMsgMemoFileNotText, MsgIcon::Question, MsgButtons::YesNo, {shownPath})
                   != MsgResult::Yes)
        return false;
    if (check.large
        && MessageBoxById(ids::kMsgMemoFileLarge, MsgIcon::Question, MsgButtons::YesNo,
                          {shownPath, QString::number((file.size() + 512 * 1024) / (1024 * 1024))})
                   != MsgResult::Yes)
        return false;

    DecodedTextFile decoded;
    {
        WaitCursor wait;
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            MessageBoxById(ids::kMsgMemoNotRead, MsgIcon::Exclamation);
            return false;
        }
        decoded = DecodeTextFile(bytes);
        m_ui->memoEdit->insertPlainText(decoded.text);
    }
    if (decoded.replacedCount > 0)
        MessageBoxById(ids::kMsgMemoCharactersReplaced, MsgIcon::Exclamation, MsgButtons::Ok,
                       {shownPath, QString::number(decoded.replacedCount), DescribeCharacters(decoded.replaced)});
    return true;
}

void MemoDialog::SaveTextFile()
{
    int filterIndex = 1;
    const QString path =
            services().getSaveFileName(QStringLiteral("Speichern unter"), QString(), LoadQString(ids::kFilterTextFiles),
                                       &filterIndex, QStringLiteral("txt"));
    if (!path.isEmpty())
        WriteTextFile(path);
}

bool MemoDialog::WriteTextFile(const QString &path) const
{
    const QByteArray bytes = MemoToUtf8File(Memo());
    WaitCursor wait;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        MessageBoxById(ids::kMsgMemoNotWritten, MsgIcon::Exclamation);
        return false;
    }
    return true;
}

void MemoDialog::Print()
{
    SessionPrinter &printer = SessionPrinter::Instance();
    printer.ApplyPaperSettings(m_page);
    PrintMemo(this, Memo(), m_page, printer.Printer());
}

std::optional<AnsiString> RunMemoDialog(QWidget *parent, AnsiView memo, const PageSettings &page)
{
    MemoDialog dialog(memo, page, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Memo();
}

} // namespace orvel
