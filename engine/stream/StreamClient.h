#pragma once

#include "engine/player/PlayerTypes.h"
#include "platform/CriticalSection.h"
#include "platform/Event.h"
#include "platform/MessageSink.h"
#include "platform/Thread.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

// The client side of an http:// radio stream (HTTP/1.0, SHOUTcast-style ICY headers and
// metadata). A receive thread fills a list of 2048-byte blocks from a non-blocking socket, strips
// the metadata from the audio bytes and posts each stream title to the owner as
// WM_PLAYER_STREAMTITLE (wParam: SharedTitleBuffer()). Decoders take the audio with Read.
class StreamClient {
public:
    static constexpr size_t kBlockSize = 2048;
    static constexpr size_t kTextLength = 260;
    static constexpr int kMaxRedirects = 10;

    explicit StreamClient(MessageSink* owner);
    ~StreamClient();
    StreamClient(const StreamClient&) = delete;
    StreamClient& operator=(const StreamClient&) = delete;

    // False (nothing changed) while blocks exist or when the block count is below 2. The
    // prebuffer becomes min(prebuffer, block count); a prebuffer below 2 keeps the old one.
    bool SetOptions(const StreamingOptions& options);
    StreamingOptions Options() const;

    // Connects to `url` and starts receiving. True once the server's answer was accepted
    // (redirects followed); false when the connection failed or Stop was called meanwhile.
    bool Connect(std::u16string_view url);
    // Ends the connection and frees the blocks. Returns within a fraction of a second.
    void Stop();

    // Copies `length` audio bytes into `buffer`, waiting for them. Returns the bytes copied:
    // fewer than `length` when the stream is gone (connection closed and nothing left).
    size_t Read(void* buffer, size_t length);
    // Waits until the prebuffer count of blocks is filled. When the connection closes first,
    // true only if the stream ended normally. False on Stop.
    bool WaitForPrebuffer();

    int FilledBlocks() const;
    int BlockCount() const;
    int PrebufferBlocks() const;

    std::u16string StationName() const;
    std::u16string Genre() const;
    std::u16string StationUrl() const;
    std::u16string LastTitle() const;
    bool IcyHeadersSeen() const { return icySeen_.load(); }
    bool EndOfStream() const { return endOfStream_.load(); }
    bool SocketOpen() const { return socket_.load() >= 0; }

    // The text of the last WM_PLAYER_STREAMTITLE (kTextLength units, zero-terminated).
    static const char16_t* SharedTitleBuffer();

private:
    struct Block {
        uint8_t data[kBlockSize];
        size_t filled = 0;
        size_t read = 0;
    };

    enum class Request { Ok, Redirect, Failed };

    void ReceiveThread();
    Request ConnectionRequest(const std::u16string& url);
    bool ConnectSocket(const std::string& host, int port);
    bool WaitReadable();
    bool SendAll(const std::string& text);
    void CloseSocket();
    void FreeBlocks();
    void ReadHeaders(std::string_view header);
    size_t StripMetadata(uint8_t* data, size_t length);
    void MetadataComplete();

    MessageSink* owner_;

    mutable std::mutex infoMutex_; // options, station texts, redirect target, title
    StreamingOptions options_;
    std::u16string url_;
    std::u16string redirect_;
    std::u16string stationName_;
    std::u16string genre_;
    std::u16string stationUrl_;
    std::u16string lastTitle_;
    std::atomic<bool> icySeen_{false};

    std::atomic<int> socket_{-1};
    Thread thread_;

    // Metadata state, used by the receive thread only.
    long metaInterval_ = 0;
    long metaCounter_ = 0;
    uint8_t metaBuffer_[255 * 16 + 1] = {};
    size_t metaLength_ = 0;

    std::atomic<bool> stop_{false};
    std::atomic<bool> endOfStream_{false};

    mutable CriticalSection listLock_;
    CriticalSection connectionLock_;
    std::deque<std::unique_ptr<Block>> free_;
    std::deque<std::unique_ptr<Block>> filled_;
    int blocksAllocated_ = 0;

    Event connected_{true, false};
    Event dataAvailable_{true, true};
    Event freeBlock_{true, true};
};
