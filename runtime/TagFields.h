#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The tag fields of one file, read once with TagLib and kept as raw bytes.
class TagFields {
public:
    struct Field {
        int type = 0;     // FSOUND_TAGFIELD_*
        std::string name; // frame identifier ("TIT2", "SYLT") or comment name ("ARTIST")
        std::vector<uint8_t> value;
    };

    // Reads every ID3v2 frame, ID3v1 field and Vorbis comment of the file; a file without tags
    // (or that TagLib can't read) gives no fields.
    void Load(const std::string& path);

    const std::vector<Field>& Fields() const { return m_fields; }
    // The first field named `name` of `type`; with FSOUND_TAGFIELD_ID3V2 a Vorbis comment of that
    // name is found too. Null when there is none.
    const Field* Find(int type, const std::string& name) const;

private:
    std::vector<Field> m_fields;
};
