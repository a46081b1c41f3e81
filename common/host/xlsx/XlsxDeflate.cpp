#include "XlsxDeflate.h"

#include <zlib.h>

#include <algorithm>
#include <new>

namespace tallimo::host::xlsx {

namespace {

// The dictionary a chunk starts with: the whole window deflate can look back over.
constexpr std::size_t kWindowBytes = 32 << 10;

// Level 1 keeps pace with producing the XML; on sheet XML it costs about an eighth more in size
// than the default level and takes a third of the time.
constexpr int kLevel = 1;

struct Compressor {
    z_stream stream{};
    bool ready = false;
    Compressor() {
        ready =
            deflateInit2(&stream, kLevel, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~Compressor() {
        if (ready) deflateEnd(&stream);
    }
};

}  // namespace

int ChunkedDeflate::defaultWorkers() {
    return int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
}

ChunkedDeflate::ChunkedDeflate(Sink sink, int workers)
    : sink_(std::move(sink)), maxInFlight_(std::size_t(std::max(workers, 1)) * 2) {
    pending_.reserve(kChunkBytes + (kChunkBytes >> 2));
    for (int i = 0; i < std::max(workers, 1); ++i)
        workers_.emplace_back([this] { work(); });
}

ChunkedDeflate::~ChunkedDeflate() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
}

void ChunkedDeflate::compress(Job& job) {
    thread_local Compressor compressor;
    if (!compressor.ready) throw std::bad_alloc();
    z_stream& z = compressor.stream;
    deflateReset(&z);
    if (!job.dictionary.empty())
        deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(job.dictionary.data()),
                             uInt(job.dictionary.size()));
    job.crc = std::uint32_t(
        crc32_z(0, reinterpret_cast<const Bytef*>(job.input.data()), job.input.size()));
    // Room for the stored-block worst case and the closing marker.
    const std::size_t room = deflateBound(&z, uLong(job.input.size())) + 16;
    if (job.outputCapacity < room) {
        job.output.reset(new char[room]);
        job.outputCapacity = room;
    }
    z.next_in = reinterpret_cast<Bytef*>(job.input.data());
    z.avail_in = uInt(job.input.size());
    z.next_out = reinterpret_cast<Bytef*>(job.output.get());
    z.avail_out = uInt(room);
    const int status = deflate(&z, job.last ? Z_FINISH : Z_SYNC_FLUSH);
    if (status != (job.last ? Z_STREAM_END : Z_OK) || z.avail_in != 0) throw std::bad_alloc();
    job.outputSize = room - z.avail_out;
}

void ChunkedDeflate::work() {
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) return;
            job = std::move(queue_.front());
            queue_.pop_front();
        }
        try {
            compress(*job);
        } catch (...) {
            job->failure = std::current_exception();
        }
        {
            const std::lock_guard lock(mutex_);
            job->done = true;
        }
        changed_.notify_all();
    }
}

void ChunkedDeflate::submit(bool last) {
    // A job already sent serves again with its buffers, so large blocks are not mapped and
    // faulted in anew for every chunk.
    drain(maxInFlight_ - 1);
    std::shared_ptr<Job> job;
    if (spare_.empty()) {
        job = std::make_shared<Job>();
    } else {
        job = std::move(spare_.back());
        spare_.pop_back();
        job->done = false;
    }
    job->last = last;
    job->dictionary = tail_;
    const std::size_t keep = std::min(pending_.size(), kWindowBytes);
    tail_.assign(pending_, pending_.size() - keep, keep);
    job->input.clear();
    job->input.swap(pending_);
    if (pending_.capacity() < kChunkBytes) pending_.reserve(kChunkBytes + (kChunkBytes >> 2));
    totals_.uncompressed += job->input.size();
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(job);
        inFlight_.push_back(std::move(job));
    }
    changed_.notify_all();
}

void ChunkedDeflate::drain(std::size_t keepInFlight) {
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock lock(mutex_);
            if (inFlight_.size() <= keepInFlight) return;
            changed_.wait(lock, [this] { return inFlight_.front()->done; });
            job = std::move(inFlight_.front());
            inFlight_.pop_front();
        }
        if (job->failure) std::rethrow_exception(job->failure);
        sink_(std::string_view(job->output.get(), job->outputSize));
        totals_.compressed += job->outputSize;
        totals_.crc =
            std::uint32_t(crc32_combine(totals_.crc, job->crc, z_off_t(job->input.size())));
        spare_.push_back(std::move(job));
    }
}

ChunkedDeflate::Totals ChunkedDeflate::finish() {
    submit(true);
    drain(0);
    return totals_;
}

}  // namespace tallimo::host::xlsx
