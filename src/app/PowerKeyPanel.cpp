#include "app/PowerKeyPanel.h"

#include "app/Controls.h"
#include "tagcfg/TagButtons.h"
#include "tagcfg/TagChoices.h"
#include "tagcfg/TagCodes.h"

#include <QGridLayout>
#include <QRadioButton>

PowerKeyPanel::PowerKeyPanel(QWidget *parent) : QFrame(parent)
{
    setObjectName(QLatin1String(TagChoices::kPowerKeyPanel));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    // The four choices two by two, the button under them: the page keeps its height for its rows.
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setVerticalSpacing(0);
    for (const TagRadioSpec &choice : TagChoices::powerKeyRadios()) {
        auto *radio = new QRadioButton(QLatin1String(choice.caption), this);
        radio->setObjectName(QLatin1String(choice.objectName));
        radio->setChecked(choice.initiallyChecked);
        m_radios.at(size_t(choice.index)) = radio;
        layout->addWidget(radio, choice.index / 2, choice.index % 2);
    }
    const TagButton &mode = TagButtons::get(TagButton::Id::PowerKeyMode);
    QPushButton *button = Controls::button(this, mode.objectName, QLatin1String(mode.caption));
    connect(button, &QPushButton::clicked, this, [this, &mode] { emit buttonClicked(&mode); });
    layout->addWidget(button, 2, 0, Qt::AlignLeft);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(3, 1);
}

int PowerKeyPanel::checkedIndex() const
{
    std::array<bool, 4> checked{};
    for (size_t i = 0; i < m_radios.size(); ++i)
        checked[i] = m_radios[i] && m_radios[i]->isChecked();
    return TagCodes::firstChecked(checked);
}
