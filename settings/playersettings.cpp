#include "settings/playersettings.h"

#include "settings/inifile.h"

namespace {

const QString kSection = QStringLiteral("Zorble");
const QString kName = QStringLiteral("PlayerName");
constexpr int kMaxName = 20;

QString hostKey(int i) {
    return QStringLiteral("RecentHost%1").arg(i + 1);
}

QString oneLine(const std::optional<QString> &value, int longest) {
    if (!value || value->size() > longest || value->contains(QLatin1Char('\n')) ||
        value->contains(QLatin1Char('\r')))
        return {};
    return *value;
}

} // namespace

void PlayerSettings::load(const IniFile &ini) {
    name = oneLine(ini.value(kSection, kName), kMaxName);
    recentHosts.clear();
    for (int i = 0; i < kRecentHosts; ++i) {
        const QString host = oneLine(ini.value(kSection, hostKey(i)), kMaxHostText);
        if (!host.isEmpty() && !recentHosts.contains(host, Qt::CaseInsensitive))
            recentHosts << host;
    }
}

void PlayerSettings::save(IniFile &ini) const {
    ini.setValue(kSection, kName, name);
    for (int i = 0; i < kRecentHosts; ++i)
        ini.setValue(kSection, hostKey(i), recentHosts.value(i));
}

void PlayerSettings::remember(const QString &host) {
    for (qsizetype i = recentHosts.size() - 1; i >= 0; --i)
        if (recentHosts[i].compare(host, Qt::CaseInsensitive) == 0)
            recentHosts.removeAt(i);
    recentHosts.prepend(host);
    while (recentHosts.size() > kRecentHosts)
        recentHosts.removeLast();
}
