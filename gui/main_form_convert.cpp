// "Convert" from the main window, and the side dialogs of the top row and the Help menu.
#include "gui/main_form.h"

#include "core/conversion/output_folders.h"
#include "core/feedback/feedback_urls.h"
#include "core/media/file_list_manager.h"
#include "core/media/text_convert.h"
#include "core/prompts/user_prompts.h"
#include "gui/device_panel.h"
#include "gui/dialogs/about_form.h"
#include "gui/dialogs/report_bug_form.h"
#include "gui/dialogs/request_device_form.h"
#include "gui/file_list_panel.h"
#include "gui/output_panel.h"
#include "gui/progress_form.h"

namespace {

// What is said when outputs cannot be written: to the destination folder, or beside the sources
// in the folders listed (the first few of them).
QString unwritableFoldersText(bool preserve, const QString& destination, const QList<TFolderRefusal>& refusals)
{
    if (!preserve) {
        return QStringLiteral("The converted files cannot be written to the folder \"%1\": %2\n\n"
                              "Please choose a folder you may write to.")
            .arg(destination, refusals.constFirst().Reason);
    }
    QString text = QStringLiteral("The converted files cannot be written beside their sources in these folders:\n");
    constexpr qsizetype kMaxListed = 10;
    for (qsizetype i = 0; i < refusals.size() && i < kMaxListed; ++i)
        text += QStringLiteral("\n%1: %2").arg(refusals[i].Folder, refusals[i].Reason);
    if (refusals.size() > kMaxListed)
        text += QStringLiteral("\n... and %1 more.").arg(refusals.size() - kMaxListed);
    return text + QStringLiteral("\n\nPlease choose \"Save files to folder\" and a folder you may write to.");
}

} // namespace

TConversionFields TMainFrm::ConversionFields() const
{
    TConversionFields fields;
    for (const TWindowPanel* panel : panels())
        panel->FillConversionFields(fields);
    return fields;
}

bool TMainFrm::ValidateConversionRequest()
{
    TConversionFields fields = ConversionFields();
    // A typed folder that does not exist yet is offered to be made once every other check has
    // passed (PrepareOutputFolders), so here it passes the folder check.
    if (fields.SaveToFolder && FolderCanBeMade(fields.DestinationFolder))
        fields.PreserveLocation = true;
    const std::optional<TRequestRefusal> refusal = CheckConversionFields(fields);
    if (refusal)
        m_prompts.ShowMessage(refusal->Caption, refusal->Text, refusal->Icon);
    return !refusal;
}

bool TMainFrm::PrepareOutputFolders(const TConversionFields& fields, const TFileInfoArray& files)
{
    const bool preserve = !fields.SaveToFolder;
    const QString destination = fields.DestinationFolder;
    if (!preserve && FolderCanBeMade(destination)) {
        if (!m_prompts.AskYesNo(QStringLiteral("Kovirta"),
                                QStringLiteral("The folder \"%1\" does not exist. Create it?").arg(destination),
                                PromptIcon::Question))
            return false;
        if (const std::optional<QString> reason = MakeFolder(destination)) {
            m_prompts.ShowMessage(
                QStringLiteral("Warning"),
                QStringLiteral("The folder \"%1\" could not be created: %2").arg(destination, *reason),
                PromptIcon::Warning);
            return false;
        }
    }
    QStringList sources;
    for (const TFileInfo& file : files) {
        if (!file.FilePath.isEmpty())
            sources.append(file.FilePath);
    }
    const QList<TFolderRefusal> refusals = UnwritableFolders(OutputFolders(preserve, destination, sources));
    if (refusals.isEmpty())
        return true;
    // Said once, before anything has run, instead of once for every file of the batch.
    m_prompts.ShowMessage(QStringLiteral("Warning"), unwritableFoldersText(preserve, destination, refusals),
                          PromptIcon::Warning);
    return false;
}

void TMainFrm::DoConvert()
{
    // The button waits for a load under way; so does a call by name.
    if (m_fileList->IsLoading() || !ValidateConversionRequest())
        return;
    const TConversionFields fields = ConversionFields();
    TBatchRequest request;
    TFileInfoArray files;
    try {
        TDeviceModel model;
        if (TDeviceOptionsStorage* store = m_device->Store())
            store->GetModel(fields.Model, fields.Manufacturer, model);
        request.Parameters = ReadConversionFields(fields, model, m_fileList->FileListManager()->TotalDuration());
        files = m_fileList->FileListManager()->ExportInfos();
    } catch (const EConvertError& e) {
        m_prompts.ShowMessage(QStringLiteral("Kovirta"), e.message(), PromptIcon::Error);
        return;
    } catch (const std::exception& e) {
        m_prompts.ShowMessage(QStringLiteral("Kovirta"), QString::fromStdString(e.what()), PromptIcon::Error);
        return;
    }
    if (!PrepareOutputFolders(fields, files))
        return;
    TProgressFrm progress(m_programDir, m_prompts);
    // Each file's status shows in the list too, and stays there after the batch.
    connect(&progress, &TProgressFrm::FileStatusShown, m_fileList, &TFileListPanel::ShowFileStatus);
    request.Files = files;
    request.Files.removeLast(); // the list's closing empty record
    progress.SetRequest(request);
    progress.exec();
}

void TMainFrm::btnRequestDeviceClick()
{
    TformRequestDevice form(m_prompts, SiteBaseUrl(), this);
    form.exec();
}

void TMainFrm::Reportabug1Click()
{
    TfrmReportBug form(m_prompts, SiteBaseUrl(), this);
    form.exec();
}

void TMainFrm::About1Click()
{
    TAboutForm form(this);
    form.exec();
}

void TMainFrm::HomePage1Click()
{
    m_prompts.OpenUrl(HomePageUrl(SiteBaseUrl()));
}

void TMainFrm::Forum1Click()
{
    m_prompts.OpenUrl(ForumUrl(SiteBaseUrl()));
}
