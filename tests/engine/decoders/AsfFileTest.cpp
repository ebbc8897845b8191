#include "engine/decoders/AsfFile.h"
#include "engine/core/FileReader.h"
#include "engine/decoders/AsfPacket.h"

#include "tests/engine/decoders/DecoderTestFiles.h"

#include <gtest/gtest.h>
#include <map>

namespace {

void Put(std::string& out, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(v >> (8 * i));
}

std::string Utf16(const std::u16string& text) {
    std::string out;
    for (char16_t c : text)
        Put(out, c, 2);
    return out;
}

std::string Bytes(std::initializer_list<int> bytes) {
    std::string out;
    for (int b : bytes)
        out += static_cast<char>(b);
    return out;
}

// The GUIDs as files store them.
const std::string kHeaderGuid = Bytes({0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9,
                                       0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C});
const std::string kFilePropertiesGuid = Bytes({0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11, 0x8E,
                                               0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65});
const std::string kExtendedContentGuid = Bytes({0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11,
                                                0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50});

std::string Object(const std::string& guid, const std::string& body) {
    std::string out = guid;
    Put(out, 24 + body.size(), 8);
    return out + body;
}

std::string Header(const std::vector<std::string>& objects) {
    std::string body;
    for (const std::string& o : objects)
        body += o;
    std::string out = kHeaderGuid;
    Put(out, 30 + body.size(), 8);
    Put(out, objects.size(), 4);
    out += Bytes({1, 2});
    return out + body;
}

std::string Descriptor(const std::u16string& name, int type, const std::string& value) {
    std::string out;
    Put(out, 2 * name.size() + 2, 2);
    out += Utf16(name) + Bytes({0, 0});
    Put(out, type, 2);
    Put(out, value.size(), 2);
    return out + value;
}

bool Parse(const std::string& bytes, AsfFile& asf) {
    return AsfFile::ParseHeader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), asf);
}

bool Parse(const std::string& bytes, AsfPacket& packet, uint32_t max) {
    return packet.Parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), max);
}

TEST(AsfFile, ReadsTheFixturesHeadersIndexAndEveryPacket) {
    struct Case {
        const char* name;
        uint64_t packets;
        uint32_t packetSize;
        uint16_t formatTag;
        uint32_t duration;
        size_t objects;
        bool indexed;
    } cases[] = {
        {"wma-v2-stereo.wma", 15, 1000, 0x161, 1392, 30, true},
        {"wma-v1-mono.wma", 4, 3200, 0x160, 2182, 47, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FileReader file;
        ASSERT_TRUE(file.Open(Fixture16(c.name)));
        AsfFile asf;
        ASSERT_TRUE(AsfFile::Read(file, asf));
        EXPECT_EQ(asf.packetCount, c.packets);
        EXPECT_EQ(asf.minPacketSize, c.packetSize);
        EXPECT_EQ(asf.maxPacketSize, c.packetSize);
        EXPECT_EQ(asf.preroll, 3100u);
        EXPECT_EQ(asf.DurationMs(), c.duration);
        EXPECT_TRUE(asf.seekable);
        EXPECT_FALSE(asf.broadcast);
        EXPECT_EQ(asf.audioStream, 1);
        ASSERT_GE(asf.waveFormat.size(), 18u);
        EXPECT_EQ(asf.waveFormat[0] | asf.waveFormat[1] << 8, c.formatTag);
        EXPECT_EQ(static_cast<uint64_t>(asf.PacketOffset(c.packets)),
                  file.Size() - (c.indexed ? 24 + 32 + 6 * asf.index.size() : 0));
        EXPECT_EQ(asf.index.empty(), !c.indexed);
        if (c.indexed) {
            EXPECT_EQ(asf.indexInterval, 1000000u);
            ASSERT_GT(asf.index.size(), 37u);
            EXPECT_EQ(asf.index[0].packet, 0u);
            EXPECT_EQ(asf.index[37].packet, 6u); // 3700 ms: the object starting at 3657 ms
        }

        // Every packet parses; the audio payloads add up to whole media objects, in order.
        std::vector<uint8_t> bytes(asf.maxPacketSize);
        std::map<uint32_t, uint32_t> objects; // number -> bytes
        for (uint64_t i = 0; i < asf.packetCount; ++i) {
            size_t got = 0;
            ASSERT_TRUE(file.Seek(asf.PacketOffset(i)));
            ASSERT_TRUE(file.Read(bytes.data(), bytes.size(), got));
            AsfPacket packet;
            ASSERT_TRUE(packet.Parse(bytes.data(), got, asf.maxPacketSize)) << i;
            for (const AsfPacket::Payload& p : packet.payloads) {
                EXPECT_EQ(p.stream, 1);
                EXPECT_EQ(p.offset, objects[p.mediaObject]);
                objects[p.mediaObject] += p.size;
                EXPECT_LE(objects[p.mediaObject], p.objectSize);
            }
        }
        EXPECT_EQ(objects.size(), c.objects);
    }
}

TEST(AsfFile, MapsAttributesAndStopsAtBadObjects) {
    std::string year32, track16, days;
    Put(year32, 2011, 4);
    Put(track16, 12, 2);
    std::string ext;
    Put(ext, 5, 2);
    ext += Descriptor(u"WM/Year", 3, year32) + Descriptor(u"WM/TrackNumber", 5, track16) +
           Descriptor(u"WM/Genre", 0, Utf16(u"Trip-Hop") + Bytes({0, 0})) +
           Descriptor(u"WM/AlbumTitleX", 0, Utf16(u"Not the album")) +
           Descriptor(u"WM/AlbumTitle", 1, "bytes");
    AsfFile asf;
    ASSERT_TRUE(Parse(Header({Object(kExtendedContentGuid, ext)}), asf));
    EXPECT_EQ(asf.tag.year, 2011);
    EXPECT_EQ(asf.tag.track, 12);
    EXPECT_EQ(std::u16string(asf.tag.genre), u"Trip-Hop");
    EXPECT_EQ(std::u16string(asf.tag.album), u"");

    // A string year is read as a number; a byte array is not read.
    std::string more;
    Put(more, 2, 2);
    more += Descriptor(u"WM/Year", 0, Utf16(u"1987-03") + Bytes({0, 0})) +
            Descriptor(u"WM/TrackNumber", 1, "\x07\x00\x00\x00");
    AsfFile strings;
    ASSERT_TRUE(Parse(Header({Object(kExtendedContentGuid, more)}), strings));
    EXPECT_EQ(strings.tag.year, 1987);
    EXPECT_EQ(strings.tag.track, 0);

    // File properties: a broadcast has no duration. An object whose size has a high word ends
    // the walk, so the attributes after it are not read.
    std::string props(40, '\0');
    Put(props, 20000000, 8); // play duration
    Put(props, 0, 8);        // send duration
    std::string rest;
    Put(rest, 0, 8); // preroll
    Put(rest, 3, 4); // broadcast, seekable
    Put(rest, 500, 4);
    Put(rest, 500, 4);
    Put(rest, 64000, 4);
    std::string huge = kFilePropertiesGuid;
    Put(huge, uint64_t{1} << 32, 8);
    AsfFile broadcast;
    ASSERT_TRUE(Parse(Header({Object(kFilePropertiesGuid, props + rest), huge,
                              Object(kExtendedContentGuid, ext)}),
                      broadcast));
    EXPECT_TRUE(broadcast.broadcast);
    EXPECT_EQ(broadcast.playDuration, 20000000u);
    EXPECT_EQ(broadcast.DurationMs(), 0u);
    EXPECT_EQ(broadcast.maxBitrate, 64u);
    EXPECT_EQ(broadcast.tag.year, 0);

    EXPECT_FALSE(Parse("not an ASF header at all, not even thirty bytes of one", asf));
}

TEST(AsfPacket, SplitsPayloadsAndRefusesMalformedPackets) {
    // Error correction (0x82: two bytes), multiple payloads, padding length in a byte; property
    // flags: replicated data length, media object number and stream number in a byte each,
    // offset in four; payload lengths in two bytes.
    std::string packet = Bytes({0x82, 0, 0, 0x09, 0x5D, 10});
    Put(packet, 4000, 4); // send time
    Put(packet, 46, 2);   // duration
    packet += char(0x80 | 3);
    const auto payload = [&](int stream, int object, uint32_t offset, const std::string& data) {
        packet += char(stream);
        packet += char(object);
        Put(packet, offset, 4);
        packet += char(8);
        Put(packet, 300, 4);  // object size
        Put(packet, 3300, 4); // presentation time
        Put(packet, data.size(), 2);
        packet += data;
    };
    payload(0x81, 7, 0, std::string(40, 'a'));
    payload(0x02, 3, 0, std::string(20, 'v')); // a video stream's
    payload(0x01, 7, 40, std::string(30, 'b'));
    packet += std::string(10, '\0');
    const uint32_t size = static_cast<uint32_t>(packet.size());
    AsfPacket p;
    ASSERT_TRUE(Parse(packet, p, size));
    EXPECT_EQ(p.packetLength, size);
    EXPECT_EQ(p.padding, 10u);
    EXPECT_EQ(p.sendTime, 4000u);
    ASSERT_EQ(p.payloads.size(), 3u);
    EXPECT_TRUE(p.payloads[0].keyFrame);
    EXPECT_EQ(p.payloads[0].stream, 1);
    EXPECT_EQ(p.payloads[0].presentationTime, 3300);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(p.payloads[0].data), 40),
              std::string(40, 'a'));
    EXPECT_EQ(p.payloads[1].stream, 2);
    EXPECT_EQ(p.payloads[2].offset, 40u);
    EXPECT_EQ(p.payloads[2].size, 30u);

    // Packets larger than the file's packet size, unknown error correction bytes, and payloads
    // running past the packet are refused.
    EXPECT_FALSE(Parse(packet, p, size - 1));
    std::string bad = packet;
    bad[0] = char(0x85);
    EXPECT_FALSE(Parse(bad, p, size));
    bad = packet;
    bad[size - 10 - 30 - 2] = char(90); // the last payload's length
    EXPECT_FALSE(Parse(bad, p, size));

    // One payload without error correction: it runs to the padding. Compressed: sub-payloads,
    // each after its length byte.
    std::string single = Bytes({0x00, 0x59}); // no lengths in the length flags
    Put(single, 0, 4);
    Put(single, 0, 2);
    single += Bytes({0x01, 9, 0x10, 0x27, 1, 5}); // stream, object 9, time, replicated 1, delta
    single += Bytes({3, 'x', 'y', 'z', 2, 'p', 'q'});
    AsfPacket compressed;
    ASSERT_TRUE(Parse(single, compressed, static_cast<uint32_t>(single.size())));
    ASSERT_EQ(compressed.payloads.size(), 2u);
    EXPECT_EQ(compressed.payloads[0].size, 3u);
    EXPECT_EQ(compressed.payloads[1].mediaObject, 10u);
    EXPECT_EQ(compressed.payloads[1].data[0], 'p');
}

} // namespace
