#pragma once

#include <QLabel>

#include <functional>

// A label that can be a link: drawn in the link colour and underlined, red
// while the pointer is over it, reporting a click. Without a link it is a
// plain label.
class LinkLabel : public QLabel
{
public:
    explicit LinkLabel(QWidget *parent = nullptr);

    // Shows `text`; a click on it calls `open` with `url` (none when empty).
    void setLink(const QString &text, const QString &url, std::function<void(const QString &)> open);
    QString url() const { return m_url; }

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void paintLink(bool hover);

    QString m_url;
    std::function<void(const QString &)> m_open;
};
