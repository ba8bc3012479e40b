#include "client/startplan.h"

#include "net/protocol.h"

StartPlan planStart(const QStringList &args) {
    StartPlan plan;
    if (args.isEmpty()) {
        plan.mode = StartPlan::Solo;
        plan.loadingLine = QStringLiteral("Loading Solo Game..Please wait.");
        plan.playername = QStringLiteral("You");
        plan.hostaddress = QStringLiteral("127.0.0.1");
        return plan;
    }
    plan.loadingLine = QStringLiteral("Loading Multi-player Game.. Please Wait.");
    if (args.size() < 3)
        return plan;
    plan.playername = proto::cut(args[0], proto::kMaxNameLength);
    plan.hostaddress = proto::cut(args[1], proto::kMaxNameLength);
    plan.mode = args[2] == QLatin1String("true") ? StartPlan::Host : StartPlan::Join;
    plan.openLobby = true;
    return plan;
}
