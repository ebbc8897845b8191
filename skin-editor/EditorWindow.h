#pragma once

#include "support/IniFile.h"

#include <QKeySequence>
#include <QMainWindow>

#include <functional>

class QAction;
class QTreeWidget;
class QTreeWidgetItem;

// Mantlery's main window: a skin file as a tree of sections and "key=value" entries, with the
// commands to open, save, insert, change and delete them. The document is a IniFile; the tree
// always shows what the document holds.
class EditorWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit EditorWindow(QWidget* parent = nullptr);

    // Loads a file. A missing or empty file leaves an empty document named after it (a following
    // Save creates it) and shows "Cannot load wps file". A file that is there but can't be read
    // as a skin shows the same message and leaves the document as it was.
    bool OpenPath(const QString& path);

    const IniFile& Document() const { return m_document; }
    QTreeWidget* Tree() const { return m_tree; }

public slots:
    void OnOpen();
    bool OnSave();
    bool OnSaveAs();
    void OnInsertSection();
    void OnInsertEntry();
    void OnDelete();
    void OnProperties();
    void OnAbout();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* AddAction(QMenu* menu, const char* name, const QString& text, const QKeySequence& key,
                       const std::function<void()>& run);
    // Asks whether to save unsaved changes; false when the user cancels.
    bool MaybeSave();
    void RebuildTree();
    void UpdateTitle();
    QTreeWidgetItem* SelectedItem() const;
    QTreeWidgetItem* SectionItem(const QString& section) const;
    QTreeWidgetItem* AddSectionItem(const QString& section);
    QTreeWidgetItem* SetEntryItem(QTreeWidgetItem* sectionItem, const QString& key,
                                  const QString& value);
    QString DialogFolder() const;
    void ShowError(const QString& text);

    IniFile m_document;
    QTreeWidget* m_tree;
};
