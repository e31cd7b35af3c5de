#include "scanners/liveries_scan.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <future>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <tuple>

#include <fmt/format.h>
#include <pugixml.hpp>

#include "core/code_pool.h"
#include "core/encoding.h"
#include "core/files.h"
#include "core/globals.h"
#include "core/log.h"
#include "core/meta_info.h"
#include "core/parameters.h"
#include "core/paths.h"
#include "core/status_line.h"
#include "core/stop_request.h"
#include "core/text.h"
#include "core/text_convert.h"
#include "core/text_lines.h"
#include "core/user_error.h"
#include "core/window_repaint.h"
#include "core/xml.h"
#include "liveries/dont_use_titles.h"
#include "scanners/aircraft_cfg.h"
#include "scanners/folder_visits.h"
#include "scanners/package_scans.h"
#include "scanners/scan_lists.h"

namespace ovr
{

namespace fs = std::filesystem;

namespace
{

detail::LiveryReader g_ordinaryReader = &lf_searchLiveriesinFile;
detail::LiveryReader g_ivaoReader = &lf_searchLiveriesinIVAOFile;

// How often the final wait for a worker says it is still waiting.
constexpr std::chrono::seconds kStillWaitingEvery{10};

constexpr std::string_view kSkipFragments[] = {"airport",  "lvfr",      "mkstudios", "simwings", "fsdreamteam",
                                               "navigraph", "flytampa", "inibuilds", "_CVT_"};

bool lf_contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

bool lf_isAircraftCfg(const fs::path& path)
{
    return gf_upperEquals(".CFG", path.extension().string()) && gf_upperEquals("AIRCRAFT", path.stem().string());
}

// The first entry of the Community folder whose name holds one of the
// fragments and not "_CVT_".
void lf_findPackage(const fs::path& community, std::vector<fs::path>& folders,
                    std::initializer_list<std::string_view> fragments, std::string_view found)
{
    std::error_code ec;
    const std::vector<fs::directory_entry> entries = gf_sortedFolderEntries(community, ec);
    if (ec)
        throw fs::filesystem_error("directory_iterator::directory_iterator", community, ec);
    for (const fs::directory_entry& entry : entries)
    {
        const std::string name = gf_pathToUtf8(entry.path().filename());
        if (lf_contains(name, "_CVT_"))
            continue;
        if (std::none_of(fragments.begin(), fragments.end(),
                         [&](std::string_view fragment) { return lf_contains(name, fragment); }))
            continue;
        gf_log(fmt::format(fmt::runtime(found), gf_pathToUtf8(entry.path())));
        folders.push_back(entry.path());
        return;
    }
}

// What one worker read from one file. A reader's failure travels as its
// text, not as the exception: an exception shared between the worker that
// drops the task and the walk that reports it is freed on whichever thread
// lets go last, which the thread checker cannot follow into the runtime.
struct FileResult
{
    std::list<LiveryData> liveries;
    std::string error; // empty when the file was read
};

// The files of one hand-over, read in walk order by one worker; `reading` is
// the index of the file its worker is on, for the walk's "still waiting".
struct FileBatch
{
    std::vector<fs::directory_entry> files; // as listed: moved, never copied
    std::vector<detail::LiveryReader> readers;
    std::atomic<std::size_t> reading{0};
};

// The scan's workers: a fixed set of threads that list the folders of the
// walk ahead of it and read the batches of files handed to them, in order,
// listings first (the walk waits for them). A thread per file costs more to
// start than most files cost to read, and so does a hand-over per file: the
// walk gives each worker a batch of files at a time.
class ScanWorkers
{
  public:
    // Any move-only work; its result travels through a future of its own.
    using Task = std::packaged_task<void()>;

    // Throws std::system_error when a thread cannot be started; the threads
    // started before it are ended.
    explicit ScanWorkers(std::size_t count)
    {
        try
        {
            for (std::size_t i = 0; i < count; ++i)
                m_threads.emplace_back([this] { run(); });
        }
        catch (...)
        {
            stop();
            throw;
        }
    }
    ~ScanWorkers() { stop(); }
    ScanWorkers(const ScanWorkers&) = delete;
    ScanWorkers& operator=(const ScanWorkers&) = delete;

    // Any thread, a worker's own task included.
    void submit(Task task, bool listing)
    {
        {
            std::lock_guard lock(m_mutex);
            (listing ? m_listings : m_tasks).push_back(std::move(task));
        }
        m_wake.notify_one();
    }

  private:
    void run()
    {
        for (;;)
        {
            Task task;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return m_stopping || !m_listings.empty() || !m_tasks.empty(); });
                std::deque<Task>& queue = m_listings.empty() ? m_tasks : m_listings;
                if (queue.empty())
                    return;
                task = std::move(queue.front());
                queue.pop_front();
            }
            task();
        }
    }

    // Every handed-out file is read before the threads end.
    void stop()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        for (std::thread& thread : m_threads)
            if (thread.joinable())
                thread.join();
        m_threads.clear();
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Task> m_listings;
    std::deque<Task> m_tasks;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

// One folder's entries as the walk takes them, in name order: its
// aircraft.cfg files and the folders it may enter. A folder that is no link
// is listed by a worker as soon as its parent is; a link is listed only when
// the walk enters it, so that a loop of links is never listed ahead.
class ListedAhead;

struct FolderListing
{
    struct Entry
    {
        // Moved from the listing: a path that is copied costs an allocation
        // per component.
        fs::directory_entry listed;
        bool aircraftCfg = false;
        bool folder = false; // not skipped by name or length
        bool link = false;
        std::shared_ptr<ListedAhead> ahead; // a folder that is no link
    };
    std::error_code error;
    std::vector<Entry> entries;
};

// A listing made ahead by a worker, taken by the walk. A future per folder
// cost a system call for each (setting a promise's value wakes its waiters
// through the system whether any wait or not); here only a walk that finds
// the listing not done yet waits in the system.
class ListedAhead
{
  public:
    void set(FolderListing listing, std::exception_ptr failure)
    {
        {
            std::lock_guard lock(m_mutex);
            m_listing = std::move(listing);
            m_failure = std::move(failure);
            m_done = true;
        }
        m_doneChanged.notify_one();
    }

    // Waits for the listing; a listing that failed throws as it did.
    FolderListing take()
    {
        std::unique_lock lock(m_mutex);
        m_doneChanged.wait(lock, [this] { return m_done; });
        if (m_failure)
            std::rethrow_exception(m_failure);
        return std::move(m_listing);
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_doneChanged;
    bool m_done = false;
    FolderListing m_listing;
    std::exception_ptr m_failure;
};

// A folder to list ahead and where its listing goes.
struct ListingTask
{
    fs::path folder;
    std::shared_ptr<ListedAhead> ahead;
};

std::shared_ptr<ListedAhead> lf_listAhead(const fs::path& folder, ScanWorkers& workers,
                                          std::vector<ListingTask>& tasks);
void lf_handOverListings(std::vector<ListingTask>& tasks, ScanWorkers& workers);

FolderListing lf_listFolder(const fs::path& folder, ScanWorkers& workers)
{
    FolderListing listing;
    std::vector<ListingTask> tasks;
    std::vector<fs::directory_entry> entries = gf_sortedFolderEntries(folder, listing.error);
    if (listing.error)
        return listing;
    for (fs::directory_entry& entry : entries)
    {
        FolderListing::Entry taken;
        const fs::path& path = entry.path();
        // The listing's own file types save a status query per entry; a link
        // is followed.
        std::error_code statusError;
        taken.aircraftCfg = lf_isAircraftCfg(path) && entry.is_regular_file(statusError) && !statusError;
        if (entry.is_directory(statusError) && !statusError)
        {
            const std::string text = gf_pathToUtf8(path);
            taken.folder = std::none_of(std::begin(kSkipFragments), std::end(kSkipFragments),
                                        [&](std::string_view fragment) { return lf_contains(text, fragment); }) &&
                           text.size() < kMaxWalkPathBytes;
        }
        if (!taken.aircraftCfg && !taken.folder)
            continue;
        if (taken.folder)
        {
#ifdef _WIN32
            // The Windows library reports neither a junction nor a link as a
            // symlink: every folder is resolved, so that a loop is still
            // entered once.
            taken.link = true;
#else
            std::error_code linkError;
            taken.link = entry.is_symlink(linkError) || linkError;
#endif
            if (!taken.link)
                taken.ahead = lf_listAhead(path, workers, tasks);
        }
        taken.listed = std::move(entry);
        listing.entries.push_back(std::move(taken));
    }
    lf_handOverListings(tasks, workers);
    return listing;
}

// The folders listed ahead are handed to the workers a few at a time, in
// walk order: a hand-over per folder woke a worker, a system call, for each.
constexpr std::size_t kFoldersPerHandOver = 16;

std::shared_ptr<ListedAhead> lf_listAhead(const fs::path& folder, ScanWorkers& workers,
                                          std::vector<ListingTask>& tasks)
{
    auto ahead = std::make_shared<ListedAhead>();
    tasks.push_back(ListingTask{folder, ahead});
    if (tasks.size() >= kFoldersPerHandOver)
        lf_handOverListings(tasks, workers);
    return ahead;
}

void lf_handOverListings(std::vector<ListingTask>& tasks, ScanWorkers& workers)
{
    if (tasks.empty())
        return;
    workers.submit(ScanWorkers::Task(
                       [lists = std::move(tasks), &workers]
                       {
                           for (const ListingTask& list : lists)
                           {
                               FolderListing listing;
                               std::exception_ptr failure;
                               try
                               {
                                   listing = lf_listFolder(list.folder, workers);
                               }
                               catch (...)
                               {
                                   failure = std::current_exception();
                               }
                               list.ahead->set(std::move(listing), std::move(failure));
                           }
                       }),
                   true);
    tasks.clear();
}

// One batch's results, in start order.
struct PendingBatch
{
    std::shared_ptr<FileBatch> batch;
    std::future<std::vector<FileResult>> results;
};

// The walk of one package folder: the batch it is filling, the batches
// handed out and not yet collected, and the workers.
class ScanWalk
{
  public:
    // Files per hand-over: enough that a hand-over costs little beside the
    // reading of its files, few enough that every worker gets some in a
    // folder of a few hundred aircraft.
    static constexpr std::size_t kFilesPerBatch = 16;

    ScanWalk(std::size_t workers, std::uint32_t folderNumber)
        : m_workers(workers), m_maxPending(2 * workers), m_folderNumber(folderNumber)
    {
    }
    ScanWalk(const ScanWalk&) = delete;
    ScanWalk& operator=(const ScanWalk&) = delete;

    void add(fs::directory_entry file)
    {
        const std::string narrow = lf_narrow(file.path());
        if (!m_filling)
            m_filling = std::make_shared<FileBatch>();
        m_filling->files.push_back(std::move(file));
        m_filling->readers.push_back(lf_contains(narrow, "ivao_x-csl") || lf_contains(narrow, "IVAO_MTL")
                                         ? g_ivaoReader
                                         : g_ordinaryReader);
        if (m_filling->files.size() >= kFilesPerBatch)
            handOver();
    }

    // Hands out the batch being filled; then, while more than two batches
    // per worker are unread, takes the oldest.
    void handOver()
    {
        if (m_filling && !m_filling->files.empty())
        {
            std::shared_ptr<FileBatch> batch = std::move(m_filling);
            std::packaged_task<std::vector<FileResult>()> read(
                [batch, folderNumber = m_folderNumber] { return lf_readBatch(*batch, folderNumber); });
            std::future<std::vector<FileResult>> results = read.get_future();
            g_runningScanTasks.fetch_add(static_cast<std::int32_t>(batch->files.size()));
            m_pending.push_back(PendingBatch{std::move(batch), std::move(results)});
            m_workers.submit(ScanWorkers::Task([read = std::move(read)]() mutable { read(); }), false);
        }
        while (m_pending.size() > m_maxPending)
            collectOldest("liveries inner search aborted: ");
    }

    ScanWorkers& workers() { return m_workers; }

    // Hands out what is left and takes every result.
    void finish(std::string_view failure)
    {
        handOver();
        while (!m_pending.empty())
            collectOldest(failure);
    }

  private:
    static std::vector<FileResult> lf_readBatch(FileBatch& batch, std::uint32_t folderNumber)
    {
        std::vector<FileResult> results(batch.files.size());
        for (std::size_t i = 0; i < batch.files.size(); ++i)
        {
            batch.reading.store(i);
            try
            {
                results[i].liveries = batch.readers[i](folderNumber, batch.files[i].path());
            }
            catch (const std::exception& e)
            {
                results[i].error = e.what();
                if (results[i].error.empty())
                    results[i].error = "unknown error";
            }
        }
        return results;
    }

    // Waits for the oldest batch (no deadline: its readers must end before
    // the scan does) and takes its liveries. A reader that failed loses only
    // its own file.
    void collectOldest(std::string_view failure)
    {
        PendingBatch& oldest = m_pending.front();
        while (oldest.results.wait_for(kStillWaitingEvery) != std::future_status::ready)
        {
            const std::size_t reading = std::min(oldest.batch->reading.load(), oldest.batch->files.size() - 1);
            gf_log(fmt::format("liveries scan still waiting for {}", gf_pathToUtf8(oldest.batch->files[reading].path())));
        }
        std::vector<FileResult> results = oldest.results.get();
        for (std::size_t i = 0; i < results.size(); ++i)
        {
            FileResult& read = results[i];
            if (read.error.empty())
            {
                for (LiveryData& livery : read.liveries)
                    g_liveries.push_back(std::move(livery));
            }
            else
            {
                gf_logWarning(
                    fmt::format("{}{}, file: {}", failure, read.error, gf_pathToUtf8(oldest.batch->files[i].path())));
            }
        }
        m_pending.pop_front();
    }

    ScanWorkers m_workers;
    std::size_t m_maxPending;
    std::uint32_t m_folderNumber;
    std::shared_ptr<FileBatch> m_filling;
    std::deque<PendingBatch> m_pending;
};

// The walk of one folder, depth first in name order, over the listings the
// workers made. False when the walk must end (an iteration error, a worker
// that did not start).
bool lf_walk(const fs::path& root, const fs::path& folder, const fs::path& real, FolderListing listing,
             ScanWalk& walk, FolderVisits& visits)
{
    if (listing.error)
    {
        gf_logWarning(fmt::format("liveries search in {} stopped at {}: {}", gf_pathToUtf8(root),
                                  gf_pathToUtf8(folder), listing.error.message()));
        return false;
    }
    for (FolderListing::Entry& entry : listing.entries)
    {
        if (entry.aircraftCfg)
        {
            // A file is no folder: nothing below needs its entry.
            walk.add(std::move(entry.listed));
            continue;
        }
        const fs::path& path = entry.listed.path();
        fs::path entryReal;
        if (!entry.folder || !visits.enterListed(real, path, entry.link, entryReal))
            continue;
        FolderListing inner = entry.ahead ? entry.ahead->take() : lf_listFolder(path, walk.workers());
        if (!lf_walk(root, path, entryReal, std::move(inner), walk, visits))
            return false;
    }
    return true;
}

// The file is UTF-8 XML: a text that is not UTF-8 came from a file read
// raw, and is taken as the Windows-1252 text it then is.
std::string lf_xmlText(const std::string& text)
{
    return gf_isValidUtf8(text) ? text : gf_acpToUtf8(text);
}

std::string lf_codeText(const CodePool& pool, std::uint16_t id)
{
    return id < pool.size() ? pool.text(id) : std::string();
}

// Makes output/errors when it is missing (its parent must exist); false,
// with a warning, when it cannot be made.
bool lf_makeErrorsFolder()
{
    std::error_code ec;
    if (fs::is_directory(g_outputErrorsPath, ec) || fs::create_directory(g_outputErrorsPath, ec))
        return true;
    gf_logWarning(fmt::format("could not create {} ({})", gf_pathToUtf8(g_outputErrorsPath), ec.message()));
    return false;
}

// True when the list was written: only then does the log send the user to it.
bool lf_writeList(std::list<std::string>& list, const fs::path& file, bool unique, bool makeFolder)
{
    list.sort();
    if (unique)
        list.unique();
    if (makeFolder && !lf_makeErrorsFolder())
        return false;
    return gf_writeLines(std::vector<std::string>(list.begin(), list.end()), file);
}

// ", see <file>" for a list that was written, nothing for one that was not.
std::string lf_see(bool written, const fs::path& file)
{
    return written ? ", see " + gf_pathToUtf8(file) : std::string();
}

} // namespace

namespace detail
{

void setLiveryReaders(LiveryReader ordinary, LiveryReader ivao)
{
    g_ordinaryReader = ordinary ? ordinary : &lf_searchLiveriesinFile;
    g_ivaoReader = ivao ? ivao : &lf_searchLiveriesinIVAOFile;
}

} // namespace detail

void lf_findAigFolder(const fs::path& community, std::vector<fs::path>& folders)
{
    lf_findPackage(community, folders, {"aig-aitraffic-oci"}, "Automatic AIG scan found folder: '{}'");
}

void lf_findFsltlFolder(const fs::path& community, std::vector<fs::path>& folders)
{
    lf_findPackage(community, folders, {"fsltl-traffic-base"}, "Automatic FSLTL scan found folder: '{}'");
}

void lf_findJfFolder(const fs::path& community, std::vector<fs::path>& folders)
{
    lf_findPackage(community, folders, {"justflight-aircraft-traffic-fleet", "justflight-fstraffic-module"},
                   "Automatic JF scan found folder: '{}'");
}

void lf_findIvaoMtlFolder(const fs::path& community, std::vector<fs::path>& folders)
{
    lf_findPackage(community, folders, {"IVAO_MTL"}, "Automatic IVAO_MTL scan found folder: '{}'");
}

void lf_findUserAiTrafficFolder(const fs::path& community, std::vector<fs::path>& folders)
{
    lf_findPackage(community, folders, {"user-aitraffic"}, "Automatic user-aitraffic scan found folder: '{}'");
}

void lf_findAIPackagesAutomatically(const fs::path& community, std::vector<fs::path>& folders)
{
    if (!gf_choiceIndex(AI_PACKAGE_SELECTOR))
        throw std::runtime_error(fmt::format("{} not set", AI_PACKAGE_SELECTOR.name));
    // Each choice names its packages in the order they are looked for.
    using Finder = void (*)(const fs::path&, std::vector<fs::path>&);
    static const std::map<std::string, Finder, std::less<>> kFinders{
        {"AIG", &lf_findAigFolder}, {"FSLTL", &lf_findFsltlFolder}, {"JF", &lf_findJfFolder}, {"MTL", &lf_findIvaoMtlFolder}};
    for (const std::string& word : gf_splitCommaList(AI_PACKAGE_SELECTOR.value()))
    {
        const auto finder = kFinders.find(word);
        if (finder != kFinders.end())
            finder->second(community, folders);
    }
    lf_findUserAiTrafficFolder(community, folders);
}

void lf_checkLfolders(std::vector<fs::path>& folders)
{
    for (const StringParameter* parameter : g_liveryFolders)
    {
        const std::string value = parameter->value();
        if (value.empty())
            continue;
        const fs::path path = gf_utf8ToPath(value);
        if (!fs::exists(path))
        {
            gf_logWarning(fmt::format("{}: '{}' does not exist", parameter->name, value));
            throw UserErrorException(
                kMissingLfolderError,
                fmt::format("the path pointed to by parameter '{}' does not exist, see Log.txt!", parameter->name));
        }
        folders.push_back(path);
    }
}

void lf_scanFolder4Liveries(std::uint32_t folderNumber, const fs::path& folder)
{
    std::optional<ScanWalk> walk;
    try
    {
        walk.emplace(static_cast<std::size_t>(std::max(g_maxScanTasks.load(), 1)), folderNumber);
        FolderVisits visits;
        // A root that does not resolve is still listed (and its failure
        // reported); its folders are then resolved one by one.
        fs::path real;
        if (!visits.enter(folder, real))
            real.clear();
        lf_walk(folder, folder, real, lf_listFolder(folder, walk->workers()), *walk, visits);
    }
    catch (const std::exception& e)
    {
        gf_logWarning(fmt::format("liveries search in {} aborted, cause: {}", gf_pathToUtf8(folder), e.what()));
    }
    if (walk)
        walk->finish("liveries search aborted, futs outer, ");
}

void lf_prioritizeLiveries()
{
    std::map<std::tuple<std::uint16_t, std::uint16_t, std::uint16_t>, std::int16_t> lowest;
    for (const LiveryData& livery : g_liveries)
    {
        const auto key = std::make_tuple(livery.key.airline, livery.key.secondAirline, livery.key.model);
        const auto [it, added] = lowest.emplace(key, livery.folder);
        if (!added && livery.folder < it->second)
            it->second = livery.folder;
    }
    std::erase_if(g_liveries, [&](const LiveryData& livery) {
        return livery.folder > lowest[std::make_tuple(livery.key.airline, livery.key.secondAirline, livery.key.model)];
    });
}

std::size_t lf_removeDuplicateLiveries()
{
    const auto same = [](const LiveryData& x, const LiveryData& y) {
        return x.title == y.title && x.key.airline == y.key.airline && x.key.secondAirline == y.key.secondAirline &&
               x.key.model == y.key.model && x.registration == y.registration;
    };
    const auto end = std::unique(g_liveries.begin(), g_liveries.end(), same);
    const auto removed = static_cast<std::size_t>(g_liveries.end() - end);
    g_liveries.erase(end, g_liveries.end());
    return removed;
}

bool lf_scanLiveryFolders(std::vector<fs::path>& folders)
{
    g_liveries.clear();
    lf_removeScanOutputs();
    lf_readDontUseTitles();
    std::size_t total = 0;
    std::size_t previous = 0;
    std::uint32_t folderNumber = 0;
    for (const fs::path& folder : folders)
    {
        if (folder.empty())
            continue;
        if (!fs::exists(folder))
        {
            gf_log(gf_pathToUtf8(folder) + " does not exist, skipped!");
            continue;
        }
        if (!fs::is_directory(folder))
        {
            gf_log(gf_pathToUtf8(folder) + " is not a folder name, skipped!");
            continue;
        }
        if (folderNumber < kMaxFolderNumber)
            ++folderNumber;
        if (gf_stopRequested())
            return true;
        lf_scanFolder4Liveries(folderNumber, folder);
        const std::size_t found = g_liveries.size() - previous;
        const std::string where = "found in " + gf_pathToUtf8(folder);
        if (found < 1)
        {
            gf_log(fmt::format("No liveries {}", where));
        }
        else
        {
            gf_log(fmt::format("{} liverie{} {}", found, gf_pluralU64(found), where));
            total += found;
            previous = g_liveries.size();
        }
    }
    if (gf_stopRequested())
        return true;
    if (g_liveries.empty())
    {
        g_liveriesCount.store(0);
        gf_repaintMainWindow();
        return false;
    }
    if (folders.size() > 1)
        gf_log(fmt::format("{} in total", total));
    if (LIG_PRIORITIZE.current.load())
        lf_prioritizeLiveries();
    if (g_liveries.size() >= 2)
        std::stable_sort(g_liveries.begin(), g_liveries.end(), lf_liveryLess);
    lf_removeDuplicateLiveries();
    lf_writeLiveriesScanned();
    g_liveries.clear();
    lf_writeScanErrors();
    lf_clearScanLists();
    gf_clearStatus();
    return true;
}

void lf_removeScanOutputs()
{
    const fs::path* outputs[] = {&g_aircraftCfgWithNoFltsimSectionTxtPath,
                                 &g_liveriesScannedXmlPath,
                                 &g_inlineRegcodesTxtPath,
                                 &g_invalidAirlineCodesTxtPath,
                                 &g_invalidAircraftCodesTxtPath,
                                 &g_fixesTxtPath,
                                 &g_invalidAircraftCfgFilesTxtPath,
                                 &g_incompleFltsimSectionsTxtPath,
                                 &g_outputErrorsPath};
    try
    {
        for (const fs::path* output : outputs)
            fs::remove(*output);
    }
    catch (const std::exception& e)
    {
        gf_log(fmt::format("problems with removing previous files: {}", e.what()));
    }
}

void lf_writeLiveriesScanned()
{
    if (g_liveries.empty())
        return;
    pugi::xml_document document;
    MetaInfo meta;
    meta.version = fmt::format("{}.{}.{}", g_version.major, g_version.minor, g_version.patch);
    meta.sim = g_simNumber.load();
    gf_writeMeta(document, meta);
    pugi::xml_node root = document.child("root");
    if (!root)
        root = document.append_child("root");
    pugi::xml_node liveries = root.append_child("liveries");
    for (const LiveryData& livery : g_liveries)
    {
        pugi::xml_node l = liveries.append_child("l");
        l.append_attribute("a").set_value(lf_codeText(g_airlineCodes, livery.key.airline).c_str());
        if (livery.key.secondAirline != 0)
            l.append_attribute("o").set_value(lf_codeText(g_airlineCodes, livery.key.secondAirline).c_str());
        l.append_attribute("m").set_value(lf_codeText(g_modelCodes, livery.key.model).c_str());
        if (livery.key.cargo != 0)
            l.append_attribute("c").set_value("true");
        l.append_attribute("t").set_value(lf_xmlText(livery.title).c_str());
        if (!livery.registration.empty())
            l.append_attribute("r").set_value(lf_xmlText(livery.registration).c_str());
    }
    gf_saveXmlDocument(document, g_liveriesScannedXmlPath);
    gf_log(fmt::format("{} liveries in {}", g_liveries.size(), gf_pathToUtf8(g_liveriesScannedXmlPath)));
}

bool lf_writeFixes()
{
    try
    {
        fs::create_directories(g_fixesTxtPath.parent_path());
        return gf_writeLines(g_scanFixes, g_fixesTxtPath);
    }
    catch (const std::exception& e)
    {
        gf_log(fmt::format("Error writing file {}: {}", gf_pathToUtf8(g_fixesTxtPath), e.what()));
        return false;
    }
}

void lf_writeScanErrors()
{
    const std::size_t airlines = g_invalidAirlineCodes.size();
    const std::size_t models = g_invalidModelCodes.size();
    const std::size_t fixes = g_scanFixes.size();
    const std::size_t files = g_invalidAircraftCfgFiles.size();
    const std::size_t sections = g_incompleteFltsimSections.size();
    const std::size_t withoutFltsim = g_cfgFilesWithoutFltsim.size();
    gf_log(airlines + models + fixes + files + sections == 0 ? "\nNo errors" : "\nErrors:");
    if (airlines > 0)
    {
        const bool written = lf_writeList(g_invalidAirlineCodes, g_invalidAirlineCodesTxtPath, false, true);
        gf_log(fmt::format("{:5} invalid airline code{}{}", airlines, gf_pluralU64(airlines),
                           lf_see(written, g_invalidAirlineCodesTxtPath)));
    }
    if (models > 0)
    {
        const bool written = lf_writeList(g_invalidModelCodes, g_invalidAircraftCodesTxtPath, false, true);
        gf_log(fmt::format("{:5} invalid model code{}{}", models, gf_pluralU64(models),
                           lf_see(written, g_invalidAircraftCodesTxtPath)));
    }
    if (fixes > 0)
    {
        const bool written = lf_writeFixes();
        gf_log(fmt::format("{:5} fixes{}", fixes, lf_see(written, g_fixesTxtPath)));
    }
    if (files > 0)
    {
        const bool written = lf_writeList(g_invalidAircraftCfgFiles, g_invalidAircraftCfgFilesTxtPath, false, true);
        gf_log(fmt::format("{:5} invalid aircraft.cfg files{}", files,
                           lf_see(written, g_invalidAircraftCfgFilesTxtPath)));
    }
    if (sections > 0)
    {
        const bool written = lf_writeList(g_incompleteFltsimSections, g_incompleFltsimSectionsTxtPath, true, true);
        gf_log(fmt::format("{:5} incomplete [fltsim.x] sections{}", sections,
                           lf_see(written, g_incompleFltsimSectionsTxtPath)));
    }
    gf_log("\nInformation:");
    if (withoutFltsim > 0)
    {
        const bool written =
            lf_writeList(g_cfgFilesWithoutFltsim, g_aircraftCfgWithNoFltsimSectionTxtPath, false, false);
        gf_log(fmt::format("{:5} empty aircraft.cfg files{}", withoutFltsim,
                           lf_see(written, g_aircraftCfgWithNoFltsimSectionTxtPath)));
    }
}

} // namespace ovr
