#pragma once

#include "options/DesktopAssociations.h"
#include "options/ShellAssociations.h"
#include "ui/OptionsPage.h"

#include <vector>

class Profile;
class QCheckBox;

// The "File Associations" page: one box per file type, checked while the player is the type's
// opener on the desktop. OK makes the player the opener of the checked types and hands back the
// others, both on the desktop and in the shell keys of the registry store. Without
// the media player control ".wma" and ".asf" cannot be played: their boxes are off and an
// association of ours is given back as soon as the page shows.
class FileAssocPage : public OptionsPage {
    Q_OBJECT

public:
    explicit FileAssocPage(Profile& profile, bool wmaAvailable = true, QWidget* parent = nullptr);
    FileAssocPage(DesktopAssociations associations, ShellAssociations shell, bool wmaAvailable,
                  QWidget* parent = nullptr);

    void Apply() override;

    // The boxes in the order of DesktopAssociations::Types().
    const std::vector<QCheckBox*>& Boxes() const { return m_boxes; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    static bool NeedsMediaPlayer(const DesktopAssociations::FileType& type);

    DesktopAssociations m_associations;
    ShellAssociations m_shell;
    bool m_wmaAvailable;
    std::vector<QCheckBox*> m_boxes;
};
