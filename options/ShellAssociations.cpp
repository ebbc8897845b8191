#include "options/ShellAssociations.h"

#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/TextCodec.h"

namespace {

std::u16string Wide(const char* text) {
    return TextCodec::Utf8ToUtf16(text);
}

} // namespace

ShellAssociations::ShellAssociations(Registry& store, const std::string& program)
    : m_store(store), m_program(TextCodec::Utf8ToUtf16(program)) {}

ShellAssociations ShellAssociations::FromProfile(Profile& profile) {
    return ShellAssociations(profile.Store(), DesktopAssociations::RunningProgram());
}

std::u16string ShellAssociations::IconValue(const DesktopAssociations::FileType& type) const {
    return m_program + u",-" + TextCodec::Utf8ToUtf16(std::to_string(type.icon));
}

std::u16string ShellAssociations::CommandValue() const {
    return u"\"" + m_program + u"\" \"%1\"";
}

std::u16string ShellAssociations::DefaultOf(const std::u16string& key, const char16_t* name) const {
    const std::optional<RegValue> value = m_store.QueryValue(HKEY_CLASSES_ROOT, key, name);
    return value && value->type == REG_SZ ? value->text : std::u16string();
}

bool ShellAssociations::IsAssociated(const DesktopAssociations::FileType& type) const {
    const std::u16string extension = Wide(type.extension);
    return m_store.KeyExists(HKEY_CLASSES_ROOT, extension) &&
           DefaultOf(extension) == Wide(type.progId);
}

void ShellAssociations::Associate(const DesktopAssociations::FileType& type) {
    const std::u16string progId = Wide(type.progId);
    if (!m_store.CreateKey(HKEY_CLASSES_ROOT, progId))
        return;
    m_store.SetString(HKEY_CLASSES_ROOT, progId, u"", Wide(type.description));
    m_store.SetString(HKEY_CLASSES_ROOT, progId + u"\\DefaultIcon", u"", IconValue(type));
    m_store.SetString(HKEY_CLASSES_ROOT, progId + u"\\Shell\\Open\\Command", u"", CommandValue());

    const std::u16string extension = Wide(type.extension);
    if (!m_store.CreateKey(HKEY_CLASSES_ROOT, extension))
        return;
    const std::u16string previous = DefaultOf(extension);
    if (previous != progId) // ours already: the first kept default stays
        m_store.SetString(HKEY_CLASSES_ROOT, extension, kBackupValue, previous);
    m_store.SetString(HKEY_CLASSES_ROOT, extension, u"", progId);
}

void ShellAssociations::Dissociate(const DesktopAssociations::FileType& type) {
    const std::u16string extension = Wide(type.extension);
    if (!m_store.KeyExists(HKEY_CLASSES_ROOT, extension))
        return;
    const std::u16string backup = DefaultOf(extension, kBackupValue);
    if (DefaultOf(extension) == Wide(type.progId))
        m_store.SetString(HKEY_CLASSES_ROOT, extension, u"", backup);
    m_store.DeleteValue(HKEY_CLASSES_ROOT, extension, kBackupValue);
}
