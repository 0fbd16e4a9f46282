#include "curl_ftp_transfer.h"

#include <QMetaObject>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <curl/curl.h>
#include <mutex>

namespace tarvo {

namespace {
void wipe(std::string &secret) {
    // Through a volatile pointer, so that the compiler cannot drop the stores as dead.
    volatile char *p = secret.data();
    for (std::size_t i = 0; i < secret.size(); ++i)
        p[i] = 0;
    secret.clear();
}

void globalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::size_t readFile(char *buffer, std::size_t size, std::size_t count, void *file) {
    return std::fread(buffer, size, count, static_cast<std::FILE *>(file));
}
} // namespace

struct CurlFtpTransfer::Job {
    FtpStore request;
    long timeoutSeconds = 60;
    std::atomic<bool> abort{false};

    ~Job() {
        wipe(request.password);
        if (multi) curl_multi_cleanup(multi);
    }

    bool open() {
        multi = curl_multi_init();
        return multi != nullptr;
    }

    // From the owner's thread: ends the worker's wait at once.
    void stop() {
        abort = true;
        std::lock_guard<std::mutex> lock(mutex);
        if (multi) curl_multi_wakeup(multi);
    }

    // Runs on the worker: true when the server took the file whole.
    bool run() {
        std::FILE *file = std::fopen(request.localFile.c_str(), "rb");
        if (!file) return false;
        std::fseek(file, 0, SEEK_END);
        const long size = std::ftell(file);
        std::rewind(file);
        CURL *easy = curl_easy_init();
        if (!easy) {
            std::fclose(file);
            return false;
        }
        curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str());
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "ftp");
        curl_easy_setopt(easy, CURLOPT_USERNAME, request.user.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, request.password.c_str());
        curl_easy_setopt(easy, CURLOPT_USE_SSL,
                         static_cast<long>(request.requireTls ? CURLUSESSL_ALL : CURLUSESSL_NONE));
        curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(easy, CURLOPT_READFUNCTION, readFile);
        curl_easy_setopt(easy, CURLOPT_READDATA, file);
        curl_easy_setopt(easy, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
        // The folder must be there already: the page goes where the user said or nowhere.
        curl_easy_setopt(easy, CURLOPT_FTP_CREATE_MISSING_DIRS,
                         static_cast<long>(CURLFTP_CREATE_DIR_NONE));
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        // Silence, not duration, ends a store: no answer to a command, no connection, or no
        // byte moving for the whole time-out.
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, timeoutSeconds);
        curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, timeoutSeconds);
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, timeoutSeconds);
        curl_multi_add_handle(multi, easy);

        bool stored = false;
        int running = 1;
        while (!abort.load()) {
            if (curl_multi_perform(multi, &running) != CURLM_OK) break;
            if (running == 0) {
                int left = 0;
                while (CURLMsg *msg = curl_multi_info_read(multi, &left))
                    if (msg->msg == CURLMSG_DONE) stored = msg->data.result == CURLE_OK;
                break;
            }
            curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
        }
        curl_multi_remove_handle(multi, easy);
        curl_easy_cleanup(easy);
        std::fclose(file);
        // Here, not on the owner's thread: closing a connection that is still open says QUIT
        // and waits for the server's answer. The handle is taken out first and cleaned up
        // outside the lock, so that a stop() meanwhile returns at once instead of waiting for
        // a server that may never answer.
        CURLM *ending = nullptr;
        {
            std::lock_guard<std::mutex> lock(mutex);
            ending = multi;
            multi = nullptr;
        }
        curl_multi_cleanup(ending);
        return stored && !abort.load();
    }

  private:
    std::mutex mutex;
    CURLM *multi = nullptr;
};

CurlFtpTransfer::CurlFtpTransfer(std::chrono::seconds requestTimeout, QObject *parent)
    : QObject(parent), timeout_(requestTimeout) {
    globalInit();
}

CurlFtpTransfer::~CurlFtpTransfer() {
    if (job_) job_->stop();
    if (worker_.joinable()) worker_.join();
}

bool CurlFtpTransfer::start(FtpStore request) {
    if (session_ != Session::Idle) {
        wipe(request.password);
        return false;
    }
    finishWorker();
    auto job = std::make_shared<Job>();
    job->request = std::move(request);
    job->timeoutSeconds = std::max<long>(1, static_cast<long>(timeout_.count()));
    if (!job->open()) return false;
    job_ = job;
    session_ = Session::Running;
    closeRequested_ = false;
    worker_ = std::thread([job, this] {
        const bool stored = job->run();
        wipe(job->request.password);
        QMetaObject::invokeMethod(
            this, [this, stored] { workerEnded(stored); }, Qt::QueuedConnection);
    });
    return true;
}

void CurlFtpTransfer::finishWorker() {
    if (worker_.joinable()) worker_.join();
    job_.reset();
}

void CurlFtpTransfer::workerEnded(bool stored) {
    finishWorker();
    if (closeRequested_) {
        session_ = Session::Idle;
        if (stateChanged) stateChanged(FTP_DISCONNECTED);
        return;
    }
    session_ = Session::Done;
    if (stateChanged) stateChanged(stored ? FTP_COMPLETED : FTP_ERROR);
}

bool CurlFtpTransfer::close() {
    switch (session_) {
    case Session::Idle:
        return true;
    case Session::Running:
        closeRequested_ = true;
        job_->stop();
        return true;
    case Session::Done:
        session_ = Session::Idle;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (stateChanged) stateChanged(FTP_DISCONNECTED);
            },
            Qt::QueuedConnection);
        return true;
    }
    return false;
}

} // namespace tarvo
