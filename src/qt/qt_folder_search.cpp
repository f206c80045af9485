#include "qt/qt_folder_search.h"

#include <QTimer>

#include <exception>
#include <memory>

#include "results/scan_reader.h"
#include "text/name_match.h"

namespace corvath {
namespace {

// Long enough for the next key of a word being typed.
constexpr int kPauseMs = 200;

}  // namespace

QtFolderSearch::QtFolderSearch(std::string databasePath, QObject* parent)
    : QObject(parent), pause_(new QTimer(this)), databasePath_(std::move(databasePath)) {
    pause_->setSingleShot(true);
    pause_->setInterval(kPauseMs);
    connect(pause_, &QTimer::timeout, this, &QtFolderSearch::post);
    worker_ = std::jthread([this](std::stop_token quit) { work(std::move(quit)); });
}

QtFolderSearch::~QtFolderSearch() {
    {
        const std::lock_guard lock(mutex_);
        running_.request_stop();
    }
    worker_.request_stop();
    worker_.join();
}

void QtFolderSearch::search(const StoredScan& scan, const QString& text) {
    if (text.isEmpty()) {
        stop();
        return;
    }
    ++generation_;
    scan_ = scan;
    text_ = text;
    busy_ = true;
    pause_->start();
}

void QtFolderSearch::stop() {
    ++generation_;  // what is under way reports to no one
    busy_ = false;
    pause_->stop();
    const std::lock_guard lock(mutex_);
    running_.request_stop();
    pending_.reset();
}

void QtFolderSearch::post() {
    {
        const std::lock_guard lock(mutex_);
        running_.request_stop();
        running_ = std::stop_source();
        pending_ = Request{generation_, scan_, text_.toStdString(), running_.get_token()};
    }
    wake_.notify_one();
}

// The worker's own reader, and the folders of the scan it searched last.
struct QtFolderSearch::Worker {
    std::unique_ptr<ScanReader> reader;
    std::optional<std::pair<std::int64_t, ScanFolders>> kept;
};

void QtFolderSearch::work(std::stop_token quit) {
    Worker worker;
    std::unique_lock lock(mutex_);
    while (wake_.wait(lock, quit, [this] { return pending_.has_value(); })) {
        const Request request = std::move(*pending_);
        pending_.reset();
        lock.unlock();
        run(request, worker);
        lock.lock();
    }
}

void QtFolderSearch::run(const Request& request, Worker& worker) {
    std::unique_ptr<ScanReader>& reader = worker.reader;
    std::optional<std::pair<std::int64_t, ScanFolders>>& kept = worker.kept;
    try {
        if (!reader) reader = std::make_unique<ScanReader>(databasePath_);
        if (!kept || kept->first != request.scan.id) {
            kept.reset();
            std::optional<ScanFolders> folders = reader->scanFolders(request.scan, request.stop);
            if (!folders) return;
            kept.emplace(request.scan.id, std::move(*folders));
        }
        FolderMatches matches = kept->second.find(NameMatcher(request.text), kMostFound, request.stop);
        if (request.stop.stop_requested()) return;
        report(request.generation, QString::fromStdString(request.text), std::move(matches));
    } catch (const std::exception& failure) {  // on this thread, an escaped exception would end the program
        reader.reset();
        kept.reset();
        reportFailure(request.generation, QString::fromUtf8(failure.what()));
    }
}

void QtFolderSearch::report(std::uint64_t generation, const QString& text, FolderMatches matches) {
    QMetaObject::invokeMethod(
        this,
        [this, generation, text, matches = std::move(matches)] {
            if (generation != generation_) return;
            busy_ = false;
            emit found(text, matches);
        },
        Qt::QueuedConnection);
}

void QtFolderSearch::reportFailure(std::uint64_t generation, const QString& message) {
    QMetaObject::invokeMethod(
        this,
        [this, generation, message] {
            if (generation != generation_) return;
            busy_ = false;
            emit failed(message);
        },
        Qt::QueuedConnection);
}

}  // namespace corvath
