#include "support/PlistReader.h"

#include <QJsonDocument>
#include <QProcess>

namespace {
const char *kScript = R"PY(
import json, plistlib, sys, datetime, base64
raw = open(sys.argv[1], 'rb').read()
fmt = 'binary' if raw.startswith(b'bplist') else 'xml'
root = plistlib.loads(raw)
def conv(v):
    if isinstance(v, dict):
        return {k: conv(x) for k, x in v.items()}
    if isinstance(v, list):
        return [conv(x) for x in v]
    if isinstance(v, bool):
        return {'t': 'bool', 'v': v}
    if isinstance(v, int):
        return {'t': 'int', 'v': v}
    if isinstance(v, float):
        return {'t': 'real', 'v': v}
    if isinstance(v, str):
        return {'t': 'str', 'v': v}
    if isinstance(v, datetime.datetime):
        return {'t': 'date', 'v': v.isoformat()}
    if isinstance(v, bytes):
        return {'t': 'data', 'v': base64.b64encode(v).decode()}
    return {'t': type(v).__name__, 'v': str(v)}
keys = list(root.keys()) if isinstance(root, dict) else []
print(json.dumps({'keys': keys, 'value': conv(root), 'format': fmt}))
)PY";
}

QJsonObject readPlistOutside(const QString &path) {
    QProcess p;
    p.start(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(kScript), path});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

bool convertToBinaryPlist(const QString &xmlPath, const QString &binaryPath) {
    QProcess p;
    p.start(QStringLiteral("plistutil"), {QStringLiteral("-i"), xmlPath, QStringLiteral("-o"),
                                          binaryPath, QStringLiteral("-f"), QStringLiteral("bin")});
    return p.waitForFinished(60000) && p.exitCode() == 0;
}
