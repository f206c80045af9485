#pragma once

#include <QObject>
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#include "results/scan_folders.h"
#include "results/stored_scan.h"

class QTimer;

namespace corvath {

// Searches the shown scan for folders by name on a thread of its own, with its
// own connection to the scans database, so that typing never waits for it. A
// search starts after a short pause in the typing, and a newer one stops the
// one still running. The scan's folders are read once and kept for the next
// search of the same scan.
class QtFolderSearch : public QObject {
    Q_OBJECT
public:
    // At most this many matches, the largest, are opened in the tree: each
    // one reads the folders on its way.
    static constexpr std::size_t kMostFound = 500;

    explicit QtFolderSearch(std::string databasePath, QObject* parent = nullptr);
    ~QtFolderSearch() override;

    // Searches the scan for text after the pause; an empty text stops it.
    void search(const StoredScan& scan, const QString& text);
    void stop();
    // A search asked for has not reported yet.
    bool busy() const { return busy_; }

signals:
    void found(const QString& text, const FolderMatches& matches);
    void failed(const QString& message);

private:
    struct Request {
        std::uint64_t generation = 0;
        StoredScan scan;
        std::string text;
        std::stop_token stop;
    };
    struct Worker;
    void post();
    void work(std::stop_token quit);
    void run(const Request& request, Worker& worker);
    void report(std::uint64_t generation, const QString& text, FolderMatches matches);
    void reportFailure(std::uint64_t generation, const QString& message);

    // The window's thread only.
    QTimer* pause_ = nullptr;
    std::uint64_t generation_ = 0;
    StoredScan scan_;
    QString text_;
    bool busy_ = false;

    // Shared with the worker, under mutex_.
    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::optional<Request> pending_;
    std::stop_source running_;

    // The worker's own.
    const std::string databasePath_;
    std::jthread worker_;
};

}  // namespace corvath
