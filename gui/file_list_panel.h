// The input column of the main window: the tool bar of list commands with their menus, the list
// of files to convert (which takes files dropped from the file manager), and the file-info panel
// showing the media record of the selected file. Owns the list manager while the window is open.
#pragma once

#include "gui/window_panel.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTimer;
class QToolBar;
class QToolButton;
class TAddReport;
class TFileInfoManager;
class TFileListLoader;
class TListBoxDragExt;
class TUserPrompts;
struct TFileInfo;
struct TFileStatus;

class TFileListPanel : public QWidget, public TWindowPanel {
    Q_OBJECT
public:
    // programDir: the program directory with its trailing separator.
    TFileListPanel(const QString& programDir, TUserPrompts& prompts, QWidget* parent);
    ~TFileListPanel() override;

    // Creates the list manager bound to the list and starts loading listFile into it when the file
    // holds anything; a file that cannot be read is reported and leaves the list empty.
    void OpenList(const QString& listFile);
    // Writes the list to listFile (with the files a load under way has not listed yet), or removes
    // listFile when the list is empty; then releases the manager and stops watching the selection.
    // False, with the error shown, when the file cannot be written: the list is kept.
    bool CloseList(const QString& listFile);
    // The list manager from OpenList to CloseList; none outside that time.
    TFileInfoManager* FileListManager() const { return m_fileListManager.get(); }
    // Whether files are being added (probed off the window's thread) and not all listed yet.
    bool IsLoading() const;

    // Handlers
    void DoAddFile();
    void DoAddFolder();
    void FilesLvwDropFile(const QStringList& dropedFiles);
    void FilesLvwDragDrop(int targetRow);
    void DoRemoveSelected();
    void DoClear();
    void DoSavePlaylist();
    void DoLoadPlaylist();
    void DoPlay();
    void FilesLvwSelectItem();
    void InterfaceInteractiveTimer();
    void ShowFileInfoChkClick();

    // A conversion's status of the file in the row, shown beside it until the list changes.
    void ShowFileStatus(int row, const TFileStatus& status);

    // The number of listed files, and whether the file-info panel is shown.
    void FillConversionFields(TConversionFields& fields) const override;
    void SaveFields(TInterfaceFieldsShot& shot) const override;
    void RestoreFields(const TInterfaceFieldsShot& shot) override;

signals:
    // Files began or ceased being added.
    void loadingChanged(bool loading);

private:
    void buildFileInfoPanel();
    void buildLoadPanel();
    void buildMenus();
    void showPanelTexts(const TFileInfo& info);
    void showLoadProgress();
    void loadFinished(const TAddReport& report);
    // Reads a playlist into the load; a file that cannot be read is reported.
    void loadPlaylist(const QString& fileName);
    // Leaves no list for the next start; says so when the file stays.
    void removeListFile(const QString& listFile);

    QString m_programDir;
    TUserPrompts& m_prompts;
    std::unique_ptr<TFileInfoManager> m_fileListManager;
    // Lists into the manager, so it goes first.
    std::unique_ptr<TFileListLoader> m_loader;
    bool m_loadingShown = false;

    QToolBar* FilesCmdBar;
    QToolButton* DoAddPopupShowBtn;
    QToolButton* DoRemovePopupShowBtn;
    QToolButton* DoListPopupShowBtn;
    QToolButton* PlayBtn;
    TListBoxDragExt* FilesLvw;
    // Under the list while files are being added: how far, and Cancel.
    QFrame* LoadPanel;
    QLabel* LoadProgressLbl;
    QProgressBar* LoadProgressBar;
    QPushButton* LoadCancelBtn;
    QFrame* FileInfoPanelWrap;
    QFrame* FileInfoCaptionPanel;
    QCheckBox* ShowFileInfoChk;
    QFrame* FileInfoPanel;
    QLabel* DurationInfo;
    QLabel* VideoCodecInfo;
    QLabel* VideoBitRateInfo;
    QLabel* ResolutionInfo;
    QLabel* FrameRateInfo;
    QLabel* ChanelsInfo;
    QLabel* AudioCodecInfo;
    QLabel* AudioBitRateInfo;
    QLabel* SamplingInfo;
    QLabel* SizeInfo;
    QLabel* lblPath;
    QMenu* miAddPopup;
    QMenu* miRemovePopup;
    QMenu* miListPopup;
    QMenu* FilesWorksMnu;
    // Empties the file-info panel while no row is selected.
    QTimer* InterfaceInteractive;
};
