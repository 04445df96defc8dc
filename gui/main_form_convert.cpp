// "Convert" from the main window, and the side dialogs of the top row and the Help menu.
#include "gui/main_form.h"

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
#include "gui/quality_panel.h"

TConversionFields TMainFrm::ConversionFields() const
{
    TConversionFields fields;
    for (const TWindowPanel* panel : panels())
        panel->FillConversionFields(fields);
    return fields;
}

bool TMainFrm::ValidateConversionRequest()
{
    const std::optional<TRequestRefusal> refusal =
        TConversionRequest::Check(ConversionFields(), m_quality->ConversionParameters());
    if (refusal)
        m_prompts.ShowMessage(refusal->Caption, refusal->Text, refusal->Icon);
    return !refusal;
}

void TMainFrm::DoConvert()
{
    // The button waits for a load under way; so does a call by name.
    if (m_fileList->IsLoading() || !ValidateConversionRequest())
        return;
    const TConversionFields fields = ConversionFields();
    TFileInfoArray files;
    try {
        TDeviceModel model;
        if (TDeviceOptionsStorage* store = m_device->Store())
            store->GetModel(fields.Model, fields.Manufacturer, model);
        m_quality->SetConversionParameters(TConversionRequest::Assemble(
            fields, m_quality->ConversionParameters(), model, m_fileList->FileListManager()->TotalDuration()));
        files = m_fileList->FileListManager()->ExportInfos();
    } catch (const EConvertError& e) {
        m_prompts.ShowMessage(QStringLiteral("Kovirta"), e.message(), PromptIcon::Error);
        return;
    } catch (const std::exception& e) {
        m_prompts.ShowMessage(QStringLiteral("Kovirta"), QString::fromStdString(e.what()), PromptIcon::Error);
        return;
    }
    TProgressFrm progress(m_programDir, m_prompts);
    // Each file's status shows in the list too, and stays there after the batch.
    connect(&progress, &TProgressFrm::FileStatusShown, m_fileList, &TFileListPanel::ShowFileStatus);
    TBatchRequest request;
    request.Parameters = m_quality->ConversionParameters();
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
