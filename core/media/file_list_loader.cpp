#include "core/media/file_list_loader.h"

#include "core/media/file_list_manager.h"
#include "core/media/file_utils.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <utility>

namespace {

// Results listed in one go; more are left to the next turn, so the window answers in between.
constexpr size_t kDeliveryBatch = 64;

} // namespace

int TFileListLoader::DefaultWorkers()
{
    return std::clamp(QThread::idealThreadCount() + 1, 2, 4);
}

TFileListLoader::TFileListLoader(TFileInfoManager& manager, const QString& programDir, int workers, QObject* parent)
    : QObject(parent), m_manager(manager), m_programDir(programDir), m_workerCount(std::max(workers, 1))
{}

TFileListLoader::~TFileListLoader()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
        dropLoad();
    }
    m_wake.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
}

void TFileListLoader::startWorkers()
{
    // Started with the first add, so a list that is never added to costs no threads.
    while (static_cast<int>(m_workers.size()) < m_workerCount)
        m_workers.emplace_back([this] { work(); });
}

QString TFileListLoader::PathKey(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QStringList TFileListLoader::newPaths(const QStringList& paths, TListed listed)
{
    QSet<QString> listedKeys;
    if (listed == TListed::Skip) {
        for (const TSingleFileInfoStorage& entry : m_manager.Entries) {
            if (entry.Number > 0) // a removed row's entry stays, numbered -1
                listedKeys.insert(PathKey(entry.Info.FilePath));
        }
    }
    QStringList fresh;
    for (const QString& path : paths) {
        const QString key = PathKey(path);
        if (listed == TListed::Skip && (listedKeys.contains(key) || m_loadKeys.contains(key))) {
            m_report.AddAlreadyListed();
            continue;
        }
        m_loadKeys.insert(key);
        fresh.append(path);
    }
    return fresh;
}

void TFileListLoader::AddFiles(const QStringList& paths, TListed listed)
{
    if (paths.isEmpty())
        return;
    const QStringList fresh = newPaths(paths, listed);
    if (fresh.isEmpty()) {
        // Nothing to probe: a load under way reports at its end, otherwise this add ends here.
        if (!m_loading)
            emit finished(std::exchange(m_report, {}), false);
        return;
    }
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_waiting.empty())
            m_paths.append(fresh);
        else
            m_waiting.push_back({false, {}, {}, fresh});
        m_loading = true;
        startWorkers();
    }
    m_wake.notify_all();
    emit progress();
}

void TFileListLoader::AddFolder(const QString& folder, const QStringList& extensions)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_waiting.push_back({true, folder, extensions, {}});
        m_loading = true;
        startWorkers();
    }
    m_wake.notify_all();
    emit progress();
}

void TFileListLoader::takeWaitingFiles()
{
    while (!m_waiting.empty() && !m_waiting.front().isFolder) {
        m_paths.append(m_waiting.front().paths);
        m_waiting.pop_front();
    }
}

void TFileListLoader::dropLoad()
{
    ++m_generation;
    m_liveGeneration = m_generation;
    m_paths.clear();
    m_nextStart = 0;
    m_nextDeliver = 0;
    m_ready.clear();
    m_waiting.clear();
    m_searching = false;
}

bool TFileListLoader::stopLoad()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        dropLoad();
    }
    m_loadKeys.clear();
    const bool wasLoading = std::exchange(m_loading, false);
    if (wasLoading)
        emit progress();
    return wasLoading;
}

void TFileListLoader::Cancel()
{
    if (stopLoad())
        emit finished(std::exchange(m_report, {}), true);
}

void TFileListLoader::Abandon()
{
    stopLoad();
    m_report = {};
}

qsizetype TFileListLoader::Done() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_nextDeliver;
}

qsizetype TFileListLoader::Total() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    qsizetype total = m_paths.size();
    for (const Waiting& waiting : m_waiting)
        total += waiting.paths.size();
    return total;
}

bool TFileListLoader::IsSearching() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return !m_waiting.empty();
}

QStringList TFileListLoader::PendingPaths() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    QStringList pending = m_paths.mid(m_nextDeliver);
    for (const Waiting& waiting : m_waiting)
        pending.append(waiting.paths);
    return pending;
}

void TFileListLoader::work()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock,
                    [this] { return m_quit || m_nextStart < m_paths.size() || (!m_searching && !m_waiting.empty()); });
        if (m_quit)
            return;
        const quint64 generation = m_generation;
        const auto stopped = [this, generation] { return m_liveGeneration.load() != generation; };
        if (!m_searching && !m_waiting.empty()) {
            // The front of the waiting files is a folder: one worker searches it while the others
            // go on probing; its files, and those waiting behind it, then join the load.
            const Waiting folder = m_waiting.front();
            m_searching = true;
            lock.unlock();
            const QStringList found = FindFilesWithExtensions(folder.folder, folder.extensions, stopped);
            // The list is the owner's to read, so the owner sorts out the files listed already;
            // the folder stays in front, and searching, until it has.
            QMetaObject::invokeMethod(
                this, [this, generation, found] { takeFolderFiles(generation, found); }, Qt::QueuedConnection);
            lock.lock();
            continue;
        }
        const qsizetype index = m_nextStart++;
        const QString path = m_paths[index];
        lock.unlock();
        TProbeOutcome outcome = TFileInfoManager::ProbeFile(path, m_programDir, stopped);
        lock.lock();
        if (generation == m_generation) {
            m_ready.emplace(index, std::move(outcome));
            postDelivery();
        }
    }
}

void TFileListLoader::takeFolderFiles(quint64 generation, const QStringList& found)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (generation != m_generation)
            return; // the load was dropped while the folder was searched
    }
    const QStringList fresh = newPaths(found, TListed::Skip);
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (generation != m_generation)
            return;
        m_searching = false;
        m_waiting.pop_front();
        m_paths.append(fresh);
        takeWaitingFiles();
        postDelivery(); // the progress, or the end when the folder held nothing new
    }
    m_wake.notify_all();
}

void TFileListLoader::postDelivery()
{
    if (m_deliveryPosted)
        return;
    m_deliveryPosted = true;
    QMetaObject::invokeMethod(this, &TFileListLoader::deliver, Qt::QueuedConnection);
}

void TFileListLoader::deliver()
{
    std::vector<TProbeOutcome> batch;
    bool over = false;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_deliveryPosted = false;
        for (auto next = m_ready.find(m_nextDeliver); next != m_ready.end() && batch.size() < kDeliveryBatch;
             next = m_ready.find(m_nextDeliver)) {
            batch.push_back(std::move(next->second));
            m_ready.erase(next);
            ++m_nextDeliver;
        }
        if (m_ready.count(m_nextDeliver) > 0)
            postDelivery();
        over = m_loading && m_nextDeliver == m_paths.size() && m_waiting.empty();
        if (over) {
            m_paths.clear();
            m_nextStart = 0;
            m_nextDeliver = 0;
        }
    }
    for (const TProbeOutcome& outcome : batch) {
        if (!m_manager.AddProbed(outcome))
            m_report.Add(outcome);
    }
    if (over) {
        m_loading = false;
        m_loadKeys.clear();
        emit progress();
        emit finished(std::exchange(m_report, {}), false);
    } else if (!batch.empty()) {
        emit progress();
    }
}
