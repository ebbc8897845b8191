#pragma once

#include "engine/core/PlayerTypes.h"
#include "engine/stream/TlsSession.h"
#include "platform/CriticalSection.h"
#include "platform/Event.h"
#include "platform/MessageSink.h"
#include "platform/Thread.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <netinet/in.h>
#include <string>
#include <string_view>

// The client side of an http:// or https:// radio stream (HTTP/1.0, SHOUTcast-style ICY headers
// and metadata). A receive thread fills a list of 2048-byte blocks from a non-blocking socket
// (through TLS for https://), strips the metadata from the audio bytes and posts each stream
// title to the owner as WM_PLAYER_STREAMTITLE (wParam: SharedTitleBuffer()). Decoders take the
// audio with Read.
class StreamClient {
public:
    static constexpr size_t kBlockSize = 2048;
    static constexpr size_t kTextLength = 260;
    static constexpr int kMaxRedirects = 10;
    // Connecting, sending the request and receiving the whole answer header: one time limit.
    static constexpr std::chrono::seconds kRequestLimit{15};
    // Over each window of this many received bytes, metadata may not outweigh the audio.
    static constexpr size_t kMetadataWindow = 64 * 1024;

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
    // true if the stream ended normally or anything arrived. False on Stop.
    bool WaitForPrebuffer();

    int FilledBlocks() const;
    int BlockCount() const;
    int PrebufferBlocks() const;

    std::u16string StationName() const;
    std::u16string Genre() const;
    std::u16string StationUrl() const;
    std::u16string LastTitle() const;
    bool IcyHeadersSeen() const { return m_icySeen.load(); }
    bool EndOfStream() const { return m_endOfStream.load(); }
    bool SocketOpen() const { return m_socket.load() >= 0; }
    // The stream was refused for good (its metadata outweighs its audio): connecting again is
    // pointless. Cleared by the next Connect.
    bool GaveUp() const { return m_gaveUp.load(); }
    // Why the last connection failed or ended early; empty when it did not.
    std::string LastError() const;

    // The text of the last WM_PLAYER_STREAMTITLE (kTextLength units, zero-terminated).
    static const char16_t* SharedTitleBuffer();

private:
    struct Block {
        uint8_t data[kBlockSize];
        size_t filled = 0;
        size_t read = 0;
    };

    enum class Request { Ok, Redirect, Failed };
    using Deadline = std::chrono::steady_clock::time_point;

    void ReceiveThread();
    void ReceiveAudio();
    Request ConnectionRequest(const std::u16string& url);
    bool LookUp(const std::string& host, in_addr& found, Deadline deadline);
    bool ConnectSocket(const std::string& host, int port, Deadline deadline);
    bool StartTls(const std::string& host, Deadline deadline);
    bool OpenTunnel(const std::string& host, int port, const std::string& agent, Deadline deadline);
    // Reads an answer header into `buffer` (at most its size - 1 bytes); `length` is all that
    // arrived, `bodyStart` where the body begins. False (error set) when it did not come whole.
    // The status line is checked as soon as it is there: `acceptable` must take its code.
    bool ReceiveHeader(char* buffer, size_t size, size_t& length, size_t& bodyStart, int& status,
                       Deadline deadline, bool (*acceptable)(int));
    // Waits until the socket is readable (or writable), in slices that watch the stop flag.
    // False on stop or at the deadline.
    bool WaitFor(bool write, Deadline deadline);
    // > 0 bytes received, 0 the server ended the stream, -1 a failure, a stop or the deadline
    // (`late` is the error then).
    long Receive(uint8_t* buffer, size_t length, Deadline deadline, const char* late);
    bool SendAll(const std::string& text, Deadline deadline);
    void SetError(const std::string& text);
    void CloseSocket();
    void FreeBlocks();
    void ReadHeaders(std::string_view header);
    size_t StripMetadata(uint8_t* data, size_t length);
    // Counts what one receive brought; false once the metadata outweighs the audio.
    bool MetadataInProportion(size_t received, size_t audio);
    void MetadataComplete();

    MessageSink* m_owner;

    mutable std::mutex m_infoMutex; // options, station texts, redirect target, title
    StreamingOptions m_options;
    std::u16string m_url;
    std::u16string m_redirect;
    std::u16string m_stationName;
    std::u16string m_genre;
    std::u16string m_stationUrl;
    std::u16string m_lastTitle;
    std::string m_error;
    std::atomic<bool> m_icySeen{false};
    std::atomic<bool> m_gaveUp{false};

    std::atomic<int> m_socket{-1};
    TlsSession m_tls; // receive thread only
    Thread m_thread;

    // Metadata state, used by the receive thread only.
    long m_metaInterval = 0;
    long m_metaCounter = 0;
    uint8_t m_metaBuffer[255 * 16 + 1] = {};
    size_t m_metaLength = 0;
    size_t m_windowReceived = 0;
    size_t m_windowAudio = 0;

    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_endOfStream{false};

    mutable CriticalSection m_listLock;
    CriticalSection m_connectionLock;
    std::deque<std::unique_ptr<Block>> m_free;
    std::deque<std::unique_ptr<Block>> m_filled;
    int m_blocksAllocated = 0;

    Event m_connected{true, false};
    Event m_dataAvailable{true, true};
    Event m_freeBlock{true, true};
};
