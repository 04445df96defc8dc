// Adds files to the list without holding up the window: a few worker threads probe them (one
// encoder process each), and the results reach the list on the owner's thread in the order the
// files were given. Adds made while one is under way join it; the report of the files left out
// is given once, when everything asked for has been handled or the load is cancelled.
#pragma once

#include "core/media/add_report.h"

#include <QObject>
#include <QSet>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

class TFileInfoManager;

class TFileListLoader : public QObject {
    Q_OBJECT
public:
    // Probes at once: the encoder is a process of its own, so a few run side by side even on two
    // cores, while the window's thread only lists the results.
    static int DefaultWorkers();

    // The manager lists the results; it and the loader live on the owner's thread, and the
    // manager outlives the loader.
    TFileListLoader(TFileInfoManager& manager, const QString& programDir, int workers = DefaultWorkers(),
                    QObject* parent = nullptr);
    // Stops the probes under way (their encoders are ended) and waits for the workers; reports nothing.
    ~TFileListLoader() override;

    // What an add does with a file that is listed already, or already among the files being added.
    enum class TListed : quint8 { Skip, Keep };

    // Files to probe and list, after those still waiting. Skipped files are counted in the report.
    void AddFiles(const QStringList& paths, TListed listed = TListed::Skip);
    // The files below folder with the given extensions (FindFilesWithExtensions), searched on a
    // worker, listed after those still waiting; those listed already are skipped and counted.
    void AddFolder(const QString& folder, const QStringList& extensions);
    // How the list tells two names of one file apart: the path made absolute and clean.
    static QString PathKey(const QString& path);
    // Starts no further probe and ends those under way; what was listed stays. Reports what was
    // left out so far (finished with cancelled true) when a load was under way.
    void Cancel();
    // As Cancel, but without the report: for a list that is being emptied anyway.
    void Abandon();

    bool IsLoading() const { return m_loading; }
    // Files handled (listed or left out) and files known so far in the load under way.
    qsizetype Done() const;
    qsizetype Total() const;
    // Whether a folder is being searched, so that more files may follow.
    bool IsSearching() const;
    // The files of the load under way not yet listed or left out, in their order (folders not
    // yet searched are not among them): what would be lost if the list were stored now.
    QStringList PendingPaths() const;

signals:
    // Done, Total or IsSearching changed.
    void progress();
    void finished(const TAddReport& report, bool cancelled);

private:
    // Files waiting behind a folder that is not yet searched.
    struct Waiting {
        bool isFolder = false;
        QString folder;
        QStringList extensions;
        QStringList paths;
    };

    void startWorkers();
    void work();
    // Owner's thread: the paths to probe, without those listed or in the load already (counted
    // in the report) unless kept; every path returned joins the load's keys.
    QStringList newPaths(const QStringList& paths, TListed listed);
    // Owner's thread: a folder's files, found by a worker, join the load in the folder's place.
    void takeFolderFiles(quint64 generation, const QStringList& found);
    // Takes the ready results in order and lists them; runs on the owner's thread.
    void deliver();
    // Under m_mutex: asks the owner's thread to deliver, once for any number of results.
    void postDelivery();
    // Under m_mutex: moves the files waiting behind no folder into the load.
    void takeWaitingFiles();
    // Under m_mutex: forgets the load under way; its workers' results are dropped.
    void dropLoad();
    bool stopLoad();

    TFileInfoManager& m_manager;
    QString m_programDir;
    int m_workerCount;
    std::vector<std::thread> m_workers;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_quit = false;
    // Counts the loads dropped; a worker's result of an older load is thrown away.
    quint64 m_generation = 0;
    std::atomic<quint64> m_liveGeneration{0};
    // The files of the load under way whose turn has come, in order; indexes below m_nextStart
    // have been given to a worker, below m_nextDeliver listed or left out.
    QStringList m_paths;
    qsizetype m_nextStart = 0;
    qsizetype m_nextDeliver = 0;
    std::map<qsizetype, TProbeOutcome> m_ready;
    std::deque<Waiting> m_waiting;
    bool m_searching = false;
    bool m_deliveryPosted = false;

    // Owner's thread only.
    bool m_loading = false;
    TAddReport m_report;
    // PathKey of every file of the load under way.
    QSet<QString> m_loadKeys;
};
