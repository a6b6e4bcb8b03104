// Start-up benchmark: time from exec to the first paint of the main window, for
// the player and for a bare Qt reference, alternating, median of N runs each.
#include <QCoreApplication>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

static qint64 nowNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// One start: milliseconds from starting the process to its first-paint mark.
static double measure(const QString &program)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const qint64 start = nowNs();
    p.start(program, {});
    double ms = -1;
    QByteArray out;
    while (p.waitForReadyRead(20000)) {
        out += p.readAllStandardOutput();
        const int at = out.indexOf("first-paint ");
        const int end = out.indexOf('\n', at);
        if (at >= 0 && end > at) {
            ms = (out.mid(at + 12, end - at - 12).toLongLong() - start) / 1e6;
            break;
        }
    }
    p.kill();
    p.waitForFinished();
    return ms;
}

static double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // bench_startup [RUNS [PROGRAM [REFERENCE]]]: other programs for an A/B
    // comparison (two builds of the player, say); both must print the mark.
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    const QString program = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(KAVRO_APP);
    const QString reference = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral(REF_APP);
    std::vector<double> ours, ref;
    // One warm-up each so that both start from a warm file cache.
    measure(program);
    measure(reference);
    for (int i = 0; i < runs; ++i) {
        ours.push_back(measure(program));
        ref.push_back(measure(reference));
    }
    if (std::count(ours.begin(), ours.end(), -1.0) || std::count(ref.begin(), ref.end(), -1.0)) {
        std::fprintf(stderr, "startup: a run showed no first paint\n");
        return 1;
    }
    const double a = median(ours), b = median(ref);
    std::printf("first paint: kavro %.1f ms, reference %.1f ms, ratio %.2f (goal <= 1.20), %d runs each\n",
                a, b, a / b, runs);
    return 0;
}
