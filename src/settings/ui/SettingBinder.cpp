#include "settings/ui/SettingBinder.h"

#include "settings/SettingsDialogModel.h"
#include "settings/SettingsStore.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QSlider>

SettingBinder::SettingBinder(SettingsDialogModel &model)
    : m_model(model)
    , m_store(model.store())
{
}

void SettingBinder::bind(SettingId id, QObject *control)
{
    const DialogControl *c = SettingsDialogModel::control(id);
    Q_ASSERT(c && !bound(id));
    control->setObjectName(QString::fromLatin1(c->name));
    m_bound.append({id, control});
}

QObject *SettingBinder::bound(SettingId id) const
{
    for (const Bound &b : m_bound)
        if (b.id == id)
            return b.control;
    return nullptr;
}

QCheckBox *SettingBinder::check(SettingId id, const QString &caption)
{
    auto *box = new QCheckBox(caption);
    bind(id, box);
    QObject::connect(box, &QCheckBox::toggled, box,
                     [&model = m_model, id](bool on) { model.setControl(id, on ? 1 : 0); });
    return box;
}

QWidget *SettingBinder::options(SettingId id, std::initializer_list<const char *> captions)
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *buttons = new QButtonGroup(row);
    const QString name = QString::fromLatin1(SettingsDialogModel::control(id)->name);
    int i = 0;
    for (const char *caption : captions) {
        auto *b = new QRadioButton(QString::fromUtf8(caption));
        b->setObjectName(name + QString::number(i));
        buttons->addButton(b, i++);
        layout->addWidget(b);
    }
    layout->addStretch();
    bind(id, buttons);
    QObject::connect(buttons, &QButtonGroup::idClicked, row,
                     [&model = m_model, id](int index) { model.setControl(id, index); });
    return row;
}

QSlider *SettingBinder::slider(SettingId id)
{
    auto *s = new QSlider(Qt::Horizontal);
    range(id, s);
    s->setPageStep(qMax(1, (s->maximum() - s->minimum()) / 10));
    return s;
}

QAbstractSlider *SettingBinder::range(SettingId id, QAbstractSlider *control)
{
    const DialogControl *c = SettingsDialogModel::control(id);
    control->setRange(c->minimum, c->maximum);
    bind(id, control);
    QObject::connect(control, &QAbstractSlider::valueChanged, control,
                     [&model = m_model, id](int v) { model.setControl(id, v); });
    return control;
}

void SettingBinder::show(SettingId id) const
{
    QObject *c = bound(id);
    if (!c)
        return;
    const QSignalBlocker block(c);
    const int v = m_store.value(id);
    if (auto *box = qobject_cast<QCheckBox *>(c)) {
        box->setChecked(v != 0);
    } else if (auto *slider = qobject_cast<QAbstractSlider *>(c)) {
        slider->setValue(v);
    } else if (auto *group = qobject_cast<QButtonGroup *>(c)) {
        if (QAbstractButton *b = group->button(v)) {
            b->setChecked(true);
        } else if (QAbstractButton *checked = group->checkedButton()) {
            // No choice (NoChoice or out of range): no button stays checked.
            group->setExclusive(false);
            checked->setChecked(false);
            group->setExclusive(true);
        }
    }
}

QWidget *SettingBinder::controlOf(SettingId id) const
{
    QObject *c = bound(id);
    if (auto *group = qobject_cast<QButtonGroup *>(c))
        return group->button(0);
    return qobject_cast<QWidget *>(c);
}
