// "Convert" from the main window, and the side dialogs of the top row and the Help menu.
#include "app/main_form.h"

#include "app/user_prompts.h"
#include "conversion/progress_form.h"
#include "dialogs/about_form.h"
#include "dialogs/feedback_urls.h"
#include "dialogs/report_bug_form.h"
#include "dialogs/request_device_form.h"
#include "media/list_box_drag_ext.h"
#include "media/text_convert.h"

#include <QComboBox>
#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

bool readsAsFloat(const QString& text)
{
    try {
        StrToFloatAnySeparator(text);
        return true;
    } catch (const EConvertError&) {
        return false;
    }
}

bool readsAsInteger(const QString& text)
{
    try {
        StrToInt(text);
        return true;
    } catch (const EConvertError&) {
        return false;
    }
}

} // namespace

bool TMainFrm::ValidateConversionRequest()
{
    const TCommonConversionParameters& p = ConversionParameters;
    const bool noChannel = !ChanelsStereoRdo->isChecked() && !ChanelsMonoRdo->isChecked();
    const bool badFolder = !PreserveFilesLocationRdo->isChecked() && !QFileInfo(DestPathEdt->text()).isDir();
    // In order; the first failing check is the one reported. The first four ask a question of the user.
    const struct {
        bool fails;
        const char* message;
    } checks[] = {
        {FilesLvw->RowCount() == 0, "Please add files to conversion list"},
        {DeviceClass == 0, "Please select device type"},
        {ManufacturerCmb->currentText().isEmpty(), "Please select device manufacturer"},
        {ModelCmb->currentText().isEmpty(), "Please select device model"},
        {!p.UseAudioBitRateFromDataBase && AudioBitRateEdt->text().isEmpty(), "Please enter Audio Bitrate"},
        {!p.UseSamplingFromDataBase && SamplingEdt->text().isEmpty(), "Please enter Sampling"},
        {noChannel && !p.UseChannelsCountFromDataBase, "Please enter Chanels"},
        {!p.UseVideoBitRateFromDataBase && VideoBitRateEdt->text().isEmpty(), "Please enter Video Bitrate"},
        {!p.UseFrameRateFromDataBase && VideoFrameRateEdt->text().isEmpty(), "Please enter FrameRate"},
        {VolumeInputEdt->text().isEmpty(), "Please enter Volume level"},
        {ZoomModeCmb->currentText().isEmpty(), "Please enter Zoom mode"},
        {ResolutionXEdt->text().isEmpty(), "Please enter Resolution width"},
        {ResolutionYEdt->text().isEmpty(), "Please enter Resolution heigth"},
        {badFolder, "Please enter correct Destination Path"},
        {!readsAsFloat(VideoBitRateEdt->text()), "Please input valid Video BitRate"},
        {!readsAsFloat(AudioBitRateEdt->text()), "Please input valid Audio BitRate"},
        {!readsAsFloat(VideoFrameRateEdt->text()), "Please input valid FrameRate"},
        {!readsAsInteger(SamplingEdt->text()), "Please input valid Sampling"},
    };
    for (size_t i = 0; i < std::size(checks); ++i) {
        if (checks[i].fails) {
            m_prompts.ShowMessage(QStringLiteral("Warning"), QString::fromLatin1(checks[i].message),
                                  i < 4 ? PromptIcon::Question : PromptIcon::Warning);
            return false;
        }
    }
    return true;
}

void TMainFrm::DoConvert()
{
    if (!ValidateConversionRequest())
        return;
    TCommonConversionParameters& p = ConversionParameters;
    TFileInfoArray files;
    try {
        p.AudioBitRate = p.UseAudioBitRateFromDataBase ? 0 : StrToFloatAnySeparator(AudioBitRateEdt->text());
        p.Sampling = p.UseSamplingFromDataBase ? 0 : StrToInt(SamplingEdt->text());
        if (!p.UseChannelsCountFromDataBase) {
            if (ChanelsStereoRdo->isChecked())
                p.Channels = 2;
            else if (ChanelsMonoRdo->isChecked())
                p.Channels = 1;
        }
        p.VideoBitRate = p.UseVideoBitRateFromDataBase ? 0 : StrToFloatAnySeparator(VideoBitRateEdt->text());
        p.FrameRate = p.UseFrameRateFromDataBase ? 0 : StrToFloatAnySeparator(VideoFrameRateEdt->text());
        p.ZoomMode = ZoomModeCmb->currentIndex() == 0 ? zmFitToScreen : zmFullScreen;
        p.ResolutionType = static_cast<uint8_t>(ResolutionTypeCmb->currentIndex());
        p.ResolutionX = StrToInt(ResolutionXEdt->text());
        p.ResolutionY = StrToInt(ResolutionYEdt->text());
        p.Volume = StrToInt(VolumeInputEdt->text());
        if (SelectedOverwriteMode() >= 0)
            p.OverwriteMode = static_cast<uint8_t>(SelectedOverwriteMode());
        if (PreserveFilesLocationRdo->isChecked()) {
            p.OutputLocation = olPreserve;
        } else if (SaveFilesToFolderRdo->isChecked()) {
            p.OutputLocation = olFolder;
            p.DestinationFolder = DestPathEdt->text();
            if (!p.DestinationFolder.endsWith(QLatin1Char('/')))
                p.DestinationFolder += QLatin1Char('/');
        }
        p.AudioQuality = static_cast<uint8_t>(AudioQualityCmb->currentIndex());
        p.VideoQuality = static_cast<uint8_t>(VideoQualityCmb->currentIndex());
        p.DeleteAfterConversion = DeleteAfterConversionChk->isChecked();
        p.SetConvertedAsOriginal = SetConvertedAsOriginalChk->isChecked();
        TDeviceModel model;
        if (CatalogueStore)
            CatalogueStore->GetModel(ModelCmb->currentText(), ManufacturerCmb->currentText(), model);
        p.VideoCodec = model.VideoCodec;
        p.AudioCodec = model.AudioCodec;
        p.FileFormat = model.FileFormat;
        p.VideoProfile = model.VideoProfile;
        p.VideoLevel = model.VideoLevel;
        p.MaxVideoBitRate = model.MaxVideoBitRate.isEmpty() ? 0 : StrToFloatAnySeparator(model.MaxVideoBitRate);
        p.TotalDuration = FileListManager->TotalDuration();
        files = FileListManager->ExportInfos();
    } catch (const EConvertError& e) {
        m_prompts.ShowMessage(QStringLiteral("Kovirta"), e.message(), PromptIcon::Error);
        return;
    } catch (const std::exception& e) {
        m_prompts.ShowMessage(QStringLiteral("Kovirta"), QString::fromStdString(e.what()), PromptIcon::Error);
        return;
    }
    TProgressFrm progress(m_programDir, m_prompts);
    progress.Batch.Parameters = p;
    progress.Batch.Files = files;
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
