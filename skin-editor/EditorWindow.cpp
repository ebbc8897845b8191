#include "skin-editor/EditorWindow.h"

#include "skin-editor/EntryDialog.h"
#include "skin-editor/SectionDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QTreeWidget>

#include <algorithm>

namespace {

// Where a tree item keeps the names it stands for.
constexpr int kSectionRole = Qt::UserRole;
constexpr int kKeyRole = Qt::UserRole + 1;

std::u16string ToU16(const QString& text) {
    return text.toStdU16String();
}
QString ToQ(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

bool HasLineBreak(const QString& text) {
    return text.contains(QChar('\r')) || text.contains(QChar('\n'));
}

bool IsAsciiAlnum(QChar c) {
    return c.unicode() < 0x80 && c.isLetterOrNumber();
}

// What the file can hold and read back: a section name without "]" or line breaks; a key that
// starts with an ASCII letter or digit and has no "=" or line break; a value on one line.
bool IsStorableSection(const QString& section) {
    return !section.contains(QChar(']')) && !HasLineBreak(section);
}

bool IsStorableEntry(const QString& key, const QString& value) {
    return !key.isEmpty() && IsAsciiAlnum(key[0]) && !key.contains(QChar('=')) &&
           !HasLineBreak(key) && !HasLineBreak(value);
}

// A skin is text with sections. A NUL character (a picture, an archive) or text without any
// section is something else; an empty text (a file of only the byte-order mark) is a new skin.
bool IsSkinText(const IniFile& document) {
    const std::u16string text = document.GetText();
    if (text.find(u'\0') != std::u16string::npos)
        return false;
    if (!document.GetSectionOrder().empty())
        return true;
    return std::all_of(text.begin(), text.end(), [](char16_t c) {
        return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0xFEFF;
    });
}

QString EntryText(const QString& key, const QString& value) {
    return key + "=" + value;
}

} // namespace

EditorWindow::EditorWindow(QWidget* parent) : QMainWindow(parent) {
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName("tree");
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    setCentralWidget(m_tree);
    connect(m_tree, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (item->parent())
            OnProperties();
    });

    QMenu* file = menuBar()->addMenu(tr("&File"));
    AddAction(file, "actionOpen", tr("&Open..."), QKeySequence::Open, [this] { OnOpen(); });
    AddAction(file, "actionSave", tr("&Save"), QKeySequence::Save, [this] { OnSave(); });
    AddAction(file, "actionSaveAs", tr("Save &As..."), QKeySequence::SaveAs,
              [this] { OnSaveAs(); });
    file->addSeparator();
    AddAction(file, "actionExit", tr("E&xit"), QKeySequence::Quit, [this] { close(); });

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    AddAction(edit, "actionInsertSection", tr("Insert &Section..."),
              QKeySequence(Qt::SHIFT | Qt::Key_Insert), [this] { OnInsertSection(); });
    AddAction(edit, "actionInsertEntry", tr("Insert &Entry..."), QKeySequence(Qt::Key_Insert),
              [this] { OnInsertEntry(); });
    AddAction(edit, "actionDelete", tr("&Delete"), QKeySequence::Delete, [this] { OnDelete(); });
    AddAction(edit, "actionProperties", tr("&Properties..."), QKeySequence(Qt::Key_F2),
              [this] { OnProperties(); });

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    AddAction(help, "actionAbout", tr("&About Mantlery..."), QKeySequence(), [this] { OnAbout(); });

    resize(480, 640);
    UpdateTitle();
}

QAction* EditorWindow::AddAction(QMenu* menu, const char* name, const QString& text,
                                 const QKeySequence& key, const std::function<void()>& run) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    action->setShortcut(key);
    connect(action, &QAction::triggered, this, run);
    return action;
}

void EditorWindow::ShowError(const QString& text) {
    QMessageBox::critical(this, tr("Error"), text);
}

QString EditorWindow::DialogFolder() const {
    const QString path = ToQ(m_document.GetPath());
    return path.isEmpty() ? QString() : QFileInfo(path).absolutePath();
}

void EditorWindow::UpdateTitle() {
    const QString path = ToQ(m_document.GetPath());
    const QString name = path.isEmpty() ? tr("Untitled") : QFileInfo(path).fileName();
    setWindowTitle(name + "[*] - Mantlery");
    setWindowModified(m_document.IsModified());
}

bool EditorWindow::OpenPath(const QString& path) {
    IniFile document;
    const bool loaded = document.Load(ToU16(path)) && IsSkinText(document);
    const QFileInfo file(path);
    if (!loaded && file.exists() && file.size() > 0) {
        // Something is there that isn't a skin: the editor keeps what it had, so that a Save
        // can't replace the file with an empty document.
        ShowError(tr("Cannot load wps file ") + path);
        return false;
    }
    m_document = std::move(document);
    m_document.SetModified(false);
    RebuildTree();
    UpdateTitle();
    if (!loaded)
        ShowError(tr("Cannot load wps file ") + path);
    return loaded;
}

void EditorWindow::OnOpen() {
    if (!MaybeSave())
        return;
    const QString path = QFileDialog::getOpenFileName(this, tr("Open"), DialogFolder(),
                                                      tr("Skin files (*.wps);;All files (*)"));
    if (!path.isEmpty())
        OpenPath(path);
}

bool EditorWindow::OnSave() {
    if (!m_document.GetPath().empty() && m_document.Save()) {
        UpdateTitle();
        return true;
    }
    return OnSaveAs();
}

bool EditorWindow::OnSaveAs() {
    QFileDialog dialog(this, tr("Save As"), DialogFolder(),
                       tr("Skin files (*.wps);;All files (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("wps");
    if (!m_document.GetPath().empty())
        dialog.selectFile(ToQ(m_document.GetPath()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    const bool saved = m_document.Save(ToU16(dialog.selectedFiles().first()));
    UpdateTitle();
    if (!saved)
        ShowError(tr("Failed to save file!"));
    return saved;
}

void EditorWindow::OnInsertSection() {
    SectionDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString section = dialog.Section();
    if (section.isEmpty())
        return ShowError(tr("Section name is empty!"));
    if (!IsStorableSection(section))
        return ShowError(tr("Invalid section name!"));
    if (!m_document.AddSection(ToU16(section)))
        return ShowError(tr("Section already exists!"));
    m_tree->setCurrentItem(AddSectionItem(section));
    UpdateTitle();
}

void EditorWindow::OnInsertEntry() {
    EntryDialog dialog(EntryDialog::Insert, this);
    if (QTreeWidgetItem* item = SelectedItem())
        dialog.SetSection(item->data(0, kSectionRole).toString());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString section = dialog.Section(), key = dialog.Entry(), value = dialog.Value();
    if (key.isEmpty())
        return ShowError(tr("Entry name is empty!"));
    if (section.isEmpty())
        return ShowError(tr("Section name is empty!"));
    if (!IsStorableSection(section) || !IsStorableEntry(key, value) ||
        !m_document.SetValue(ToU16(section), ToU16(key), ToU16(value)))
        return ShowError(tr("Cannot create entry!"));
    QTreeWidgetItem* sectionItem = SectionItem(section);
    if (!sectionItem)
        sectionItem = AddSectionItem(section);
    m_tree->setCurrentItem(SetEntryItem(sectionItem, key, value));
    UpdateTitle();
}

void EditorWindow::OnProperties() {
    QTreeWidgetItem* item = SelectedItem();
    if (!item || !item->parent()) {
        QApplication::beep();
        return;
    }
    const QString section = item->data(0, kSectionRole).toString();
    const QString key = item->data(0, kKeyRole).toString();
    std::u16string value;
    m_document.GetValue(ToU16(section), ToU16(key), value);
    EntryDialog dialog(EntryDialog::Properties, this);
    dialog.SetSection(section);
    dialog.SetEntry(key);
    dialog.SetValue(ToQ(value));
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!IsStorableEntry(key, dialog.Value()) ||
        !m_document.SetValue(ToU16(section), ToU16(key), ToU16(dialog.Value())))
        return ShowError(tr("Cannot create entry!"));
    item->setText(0, EntryText(key, dialog.Value()));
    UpdateTitle();
}

void EditorWindow::OnDelete() {
    QTreeWidgetItem* item = SelectedItem();
    if (!item) {
        QApplication::beep();
        return;
    }
    const QString section = item->data(0, kSectionRole).toString();
    const bool entry = item->parent() != nullptr;
    const QString name = entry ? item->data(0, kKeyRole).toString() : section;
    const QString question = entry ? tr("Are you sure you want to delete Entry %1?")
                                   : tr("Are you sure you want to delete Section %1?");
    if (QMessageBox::warning(this, tr("Warning"), question.arg(name),
                             QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    const bool deleted =
        entry ? m_document.Delete(ToU16(section), ToU16(name)) : m_document.Delete(ToU16(section));
    if (!deleted) {
        ShowError(
            (entry ? tr("Error deleting Entry %1.") : tr("Error deleting Section %1.")).arg(name));
        return;
    }
    delete item;
    UpdateTitle();
}

void EditorWindow::OnAbout() {
    QMessageBox::about(this, tr("About Mantlery"),
                       tr("<b>Mantlery</b> %1<p>The skin editor of Sonvale: edits skin files "
                          "(*.wps) as sections of key=value entries.</p>")
                           .arg(QApplication::applicationVersion()));
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    if (MaybeSave())
        event->accept();
    else
        event->ignore();
}

bool EditorWindow::MaybeSave() {
    if (!m_document.IsModified())
        return true;
    const auto answer = QMessageBox::question(
        this, "Mantlery", tr("The skin file has been modified.\nDo you want to save your changes?"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    if (answer == QMessageBox::Save)
        return OnSave();
    return answer == QMessageBox::Discard;
}

void EditorWindow::RebuildTree() {
    m_tree->clear();
    for (const std::u16string& name : m_document.GetSectionOrder()) {
        QTreeWidgetItem* sectionItem = AddSectionItem(ToQ(name));
        const IniSection* section = m_document.GetSection(name);
        for (const std::u16string& key : section->GetKeyOrder()) {
            std::u16string value;
            section->GetValue(key, value);
            SetEntryItem(sectionItem, ToQ(key), ToQ(value));
        }
    }
    m_tree->expandAll();
}

QTreeWidgetItem* EditorWindow::SelectedItem() const {
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

QTreeWidgetItem* EditorWindow::SectionItem(const QString& section) const {
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_tree->topLevelItem(i);
        if (item->data(0, kSectionRole).toString() == section)
            return item;
    }
    return nullptr;
}

QTreeWidgetItem* EditorWindow::AddSectionItem(const QString& section) {
    auto* item = new QTreeWidgetItem(m_tree, {section});
    item->setData(0, kSectionRole, section);
    return item;
}

QTreeWidgetItem* EditorWindow::SetEntryItem(QTreeWidgetItem* sectionItem, const QString& key,
                                            const QString& value) {
    for (int i = 0; i < sectionItem->childCount(); ++i) {
        QTreeWidgetItem* child = sectionItem->child(i);
        if (child->data(0, kKeyRole).toString() == key) {
            child->setText(0, EntryText(key, value));
            return child;
        }
    }
    auto* item = new QTreeWidgetItem(sectionItem, {EntryText(key, value)});
    item->setData(0, kSectionRole, sectionItem->data(0, kSectionRole));
    item->setData(0, kKeyRole, key);
    sectionItem->setExpanded(true);
    return item;
}
