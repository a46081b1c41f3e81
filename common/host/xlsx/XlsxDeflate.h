#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tallimo::host::xlsx {

// One raw deflate stream (a ZIP entry's data) made on worker threads: the bytes are cut into
// chunks, each chunk is compressed on its own with the end of the previous chunk as its
// dictionary and closed with a sync flush, and the pieces go out in order. Concatenated they are
// one ordinary stream, within a fraction of a percent of a single-threaded one in size.
class ChunkedDeflate {
public:
    // Compressed bytes go to `sink` on the calling thread, in stream order; `sink` throws to stop.
    using Sink = std::function<void(std::string_view)>;
    static constexpr std::size_t kChunkBytes = std::size_t(4) << 20;

    explicit ChunkedDeflate(Sink sink, int workers = defaultWorkers());
    ~ChunkedDeflate();
    ChunkedDeflate(const ChunkedDeflate&) = delete;
    ChunkedDeflate& operator=(const ChunkedDeflate&) = delete;

    // Where the caller appends the next bytes of the stream; hand over with `chunkDone`.
    std::string& buffer() { return pending_; }
    // Sends the buffer on once it holds a chunk's worth.
    void chunkDone() {
        if (pending_.size() >= kChunkBytes) submit(false);
    }
    void write(std::string_view bytes) {
        pending_.append(bytes);
        chunkDone();
    }

    struct Totals {
        std::uint32_t crc = 0;
        std::uint64_t uncompressed = 0;
        std::uint64_t compressed = 0;
    };
    // Ends the stream and waits for every piece to reach the sink.
    Totals finish();

    static int defaultWorkers();

private:
    struct Job {
        std::string input;
        std::string dictionary;  // the last bytes of the chunk before
        bool last = false;
        bool done = false;
        std::unique_ptr<char[]> output;  // kept with the job, so that it serves again
        std::size_t outputCapacity = 0, outputSize = 0;
        std::uint32_t crc = 0;
        std::exception_ptr failure;
    };

    void submit(bool last);
    void work();
    void drain(std::size_t keepInFlight);
    static void compress(Job& job);

    Sink sink_;
    std::string pending_;
    std::string tail_;  // the dictionary for the next chunk
    Totals totals_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<Job>> queue_;     // waiting for a worker
    std::deque<std::shared_ptr<Job>> inFlight_;  // in stream order, until sent
    std::vector<std::shared_ptr<Job>> spare_;    // sent, with their buffers
    bool stopping_ = false;
    std::size_t maxInFlight_;
    std::vector<std::thread> workers_;
};

}  // namespace tallimo::host::xlsx
