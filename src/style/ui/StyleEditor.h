#pragma once

#include "style/StyleEditorModel.h"
#include "window/ui/WindowDrag.h"

#include <QColor>
#include <QDialog>
#include <QImage>

#include <array>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;

// How the windows that open the editor are skinned: the editor looks the same.
struct EditorSkin {
    QString sheet;     // style sheet of the body
    QImage background; // drawn over the colour
    QColor color;      // the window's colour
    QColor line;       // its outline and the body's
    QColor pane;       // laid over the background behind the controls, as the dialog's tab pages
    QColor text;       // the title's colour
};

// The style editor: a frameless window, dragged by its
// body, over a StyleEditorModel. Shown not modal; deletes itself when closed.
class StyleEditor : public QDialog
{
    Q_OBJECT
public:
    StyleEditor(std::unique_ptr<StyleEditorModel> model, QWidget *parent = nullptr);
    ~StyleEditor() override;

    void setSkin(const EditorSkin &skin);
    // Where a row's "設定" button asks for a picture (a file dialog by
    // default); an empty answer is a cancel.
    void setPictureChooser(std::function<QString(QWidget *)> chooser) { m_chooser = std::move(chooser); }

    StyleEditorModel &model() { return *m_model; }

Q_SIGNALS:
    // The backgrounds changed: the real windows show them at once.
    void previewed(const StyleBackgrounds &backgrounds);
    // A style `name` was created; the editor closes next.
    void created(const QString &name);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QWidget *pictureGroup(const char *caption, StyleEditorModel::Row first, std::array<const char *, 3> rows,
                          std::array<const char *, 6> buttonNames, std::array<const char *, 3> labelNames);
    void showLabels();
    void create();

    std::unique_ptr<StyleEditorModel> m_model;
    WindowDrag m_drag{this};
    EditorSkin m_skin;
    QWidget *m_body = nullptr;
    QLineEdit *m_name = nullptr;
    std::array<QLineEdit *, 6> m_info{};
    std::array<QLabel *, StyleEditorModel::RowCount> m_labels{};
    std::function<QString(QWidget *)> m_chooser;
};
