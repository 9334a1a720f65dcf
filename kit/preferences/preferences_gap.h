#pragma once

#include <QWidget>

namespace orbel {

// Empty room of 16 between preferences sections.
class PreferencesGap : public QWidget {
    Q_OBJECT

public:
    explicit PreferencesGap(QWidget *parent = nullptr);
};

} // namespace orbel
