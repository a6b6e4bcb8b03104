// Memory benchmark: PSS (and RSS) 3 s after start, summed over the program and
// every helper process it started, for the player and a bare Qt program with
// one web view, side by side, median of several runs.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

struct Usage
{
    double pssMiB = 0, rssMiB = 0;
};

static qint64 parentOf(const QString &pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = f.readAll();
    return line.mid(line.lastIndexOf(')') + 2).split(' ').value(1).toLongLong();
}

// The process and all its descendants.
static QList<qint64> tree(qint64 root)
{
    QList<qint64> all{root};
    bool grew = true;
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    while (grew) {
        grew = false;
        for (const QString &p : pids) {
            bool ok = false;
            const qint64 pid = p.toLongLong(&ok);
            if (ok && !all.contains(pid) && all.contains(parentOf(p))) {
                all << pid;
                grew = true;
            }
        }
    }
    return all;
}

static Usage usage(qint64 root)
{
    Usage u;
    for (qint64 pid : tree(root)) {
        QFile f(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : f.readAll().split('\n')) {
            const QList<QByteArray> parts = line.simplified().split(' ');
            if (parts.value(0) == "Pss:")
                u.pssMiB += parts.value(1).toDouble() / 1024;
            else if (parts.value(0) == "Rss:")
                u.rssMiB += parts.value(1).toDouble() / 1024;
        }
    }
    return u;
}

static Usage measure(const QString &program)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, {});
    p.waitForStarted();
    QThread::sleep(3);
    const Usage u = usage(p.processId());
    p.terminate();
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished();
    }
    QThread::msleep(500); // let the helpers go
    return u;
}

static double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::vector<double> pss, rss, refPss, refRss;
    for (int i = 0; i < 5; ++i) {
        const Usage a = measure(QStringLiteral(KAVRO_APP));
        const Usage b = measure(QStringLiteral(REF_APP));
        pss.push_back(a.pssMiB);
        rss.push_back(a.rssMiB);
        refPss.push_back(b.pssMiB);
        refRss.push_back(b.rssMiB);
    }
    std::printf("memory 3 s after start (PSS, all processes): kavro %.1f MiB, web view reference %.1f MiB, ratio %.2f "
                "(goal <= 1.10); RSS summed: kavro %.1f MiB, reference %.1f MiB\n",
                median(pss), median(refPss), median(pss) / median(refPss), median(rss), median(refRss));
    return 0;
}
