#include "app/records_keeper.h"

namespace app {
namespace {

// The end of the file read last, compared before a list is kept.
constexpr std::size_t kCheckedBytes = 64;

}  // namespace

RecordsKeeper::RecordsKeeper(platform::FileSystem& files, std::string path, platform::Tasks& tasks,
                             platform::WindowSystem& window)
    : file_(files, std::move(path)), tasks_(tasks), window_(window) {}

void RecordsKeeper::start() {
    start_build();
}

std::function<void()> RecordsKeeper::while_alive(std::function<void()> done) {
    return [alive = std::weak_ptr<bool>(alive_), done = std::move(done)] {
        if (alive.lock()) {
            done();
        }
    };
}

void RecordsKeeper::start_build() {
    building_ = true;
    const int build = ++builds_;
    auto built = std::make_shared<std::shared_ptr<RecordsIndex>>();
    tasks_.run(
        [file = file_, built]() mutable {
            try {
                auto reading = file.open_for_read();
                *built = std::make_shared<RecordsIndex>(RecordsIndex::build(*reading));
            } catch (const std::exception&) {
                // Without an index the check reads the file, and reports why it cannot.
            }
        },
        while_alive([this, build, built] {
            if (build != builds_) {
                return;  // a later build, of a newer file, follows
            }
            building_ = false;
            index_ = *built;
            run_waiting();
        }));
}

void RecordsKeeper::when_ready(std::function<void()> action) {
    waiting_.push_back(std::move(action));
    run_waiting();
}

bool RecordsKeeper::prepare_check() {
    if (!index_) {
        return true;
    }
    try {
        reader_ = file_.open_for_read();
        if (index_->catch_up(*reader_)) {
            return true;
        }
    } catch (const platform::FileError&) {
        // The check reads the file itself and tells the user what went wrong.
        index_.reset();
        reader_.reset();
        return true;
    }
    index_.reset();
    reader_.reset();
    return false;
}

void RecordsKeeper::run_waiting() {
    bool checked_without_index = false;
    while (!waiting_.empty() && !building_ && !rewriting_) {
        if (!prepare_check()) {
            start_build();
            break;
        }
        checked_without_index = checked_without_index || !index_;
        auto action = std::move(waiting_.front());
        waiting_.pop_front();
        action();
        reader_.reset();
    }
    if (checked_without_index && !index_ && !building_ && !rewriting_) {
        start_build();
    }
    show_busy();
}

bool RecordsKeeper::is_on_record(std::string_view candidate) {
    if (index_ && reader_) {
        return index_->contains(candidate, *reader_);
    }
    return file_.is_on_record(candidate);
}

bool RecordsKeeper::list_unchanged() {
    try {
        if (!list_stamp_ || file_.stamp() != *list_stamp_) {
            return false;
        }
        // A rewrite within the clock's granularity keeps the stamp; its bytes tell.
        auto reading = file_.open_for_read();
        std::string tail(list_tail_.size(), '\0');
        reading->seek(list_stamp_->size - tail.size());
        tail.resize(reading->read(tail.data(), tail.size()));
        return tail == list_tail_;
    } catch (const platform::FileError&) {
        return false;  // reading it anew reports the error
    }
}

void RecordsKeeper::list_cleared() {
    list_stamp_.reset();
    ++list_requests_;
    list_reading_ = false;
    show_busy();
}

void RecordsKeeper::read_list(std::function<void(ListItems)> done,
                              std::function<void(const std::exception&)> failed) {
    const int request = ++list_requests_;
    list_stamp_.reset();
    list_reading_ = true;
    show_busy();
    struct Result {
        ListItems items;
        platform::FileStamp stamp;
        std::exception_ptr error;
    };
    auto result = std::make_shared<Result>();
    tasks_.run(
        [file = file_, result]() mutable {
            try {
                result->items = file.list(&result->stamp);
            } catch (...) {
                result->error = std::current_exception();
            }
        },
        while_alive([this, request, result, done = std::move(done), failed = std::move(failed)] {
            if (request != list_requests_) {
                return;  // a later request's answer follows
            }
            list_reading_ = false;
            show_busy();
            if (result->error) {
                try {
                    std::rethrow_exception(result->error);
                } catch (const std::exception& error) {
                    failed(error);
                }
                return;
            }
            list_stamp_ = result->stamp;
            list_tail_ = result->items.tail(kCheckedBytes);
            done(std::move(result->items));
        }));
}

void RecordsKeeper::rewrite(std::function<void(RecordsFile&)> work,
                            std::function<void(std::exception_ptr)> done) {
    rewriting_ = true;
    show_busy();
    auto error = std::make_shared<std::exception_ptr>();
    tasks_.run(
        [file = file_, work = std::move(work), error]() mutable {
            try {
                work(file);
            } catch (...) {
                *error = std::current_exception();
            }
        },
        while_alive([this, error, done = std::move(done)] {
            rewriting_ = false;
            list_stamp_.reset();
            done(*error);
            // The file was replaced: index it anew now rather than at the next click.
            index_.reset();
            start_build();
        }));
}

void RecordsKeeper::show_busy() {
    window_.set_busy(!waiting_.empty() || rewriting_ || list_reading_);
}

}  // namespace app
