#include "app/path_export.h"

#include <cmath>

#include "core/scene.h"
#include "model/joints.h"
#include "path/path_record.h"

bool parsePathFormat(const std::string& name, PathFormat& out) {
    if (name == "txt") out = PathFormat::Txt;
    else if (name == "csv") out = PathFormat::Csv;
    else if (name == "json") out = PathFormat::Json;
    else return false;
    return true;
}

PathRows recordedPath(Scene& s, bool forward) {
    PathRows p;
    if (forward) convertPath(s);
    p.q = forward ? s.qPATH : s.qIPATH;
    p.n = s.NPATH < NMAX ? s.NPATH + 1 : NMAX;
    p.kind = forward ? "forward" : "reverse";
    return p;
}

std::vector<double> pathTimes(const Scene& s, const PathRows& p, double speed) {
    std::vector<double> t(p.n > 0 ? p.n : 0, 0.0);
    for (int k = 1; k < p.n; ++k) {
        double largest = 0;
        for (int i = 1; i <= s.N; ++i) largest = std::fmax(largest, std::fabs(jointDiff(s, i, p.q[k][i], p.q[k - 1][i])));
        t[k] = t[k - 1] + std::fmax(largest / speed, kMinRowSeconds);
    }
    return t;
}

void writePath(const Scene& s, const PathRows& p, PathFormat format, double speed, std::FILE* out) {
    const int N = s.N;
    if (format == PathFormat::Txt) {
        std::fprintf(out, "# robot F%d%d rh %.15g %.15g %.15g goal %.15g %.15g %.15g\n", s.sgnROBOT[0],
                     s.sgnROBOT[1], s.rh[0], s.rh[1], s.rh[2], s.rwp[0], s.rwp[1], s.rwp[2]);
        for (int k = 0; k < p.n; ++k) {
            for (int i = 1; i <= N; ++i) std::fprintf(out, i == 1 ? "%.17g" : " %.17g", p.q[k][i]);
            std::fputc('\n', out);
        }
        return;
    }
    const std::vector<double> t = pathTimes(s, p, speed);
    if (format == PathFormat::Csv) {
        std::fprintf(out, "t");
        for (int i = 1; i <= N; ++i) std::fprintf(out, ",j%d", i);
        std::fputc('\n', out);
        for (int k = 0; k < p.n; ++k) {
            std::fprintf(out, "%.17g", t[k]);
            for (int i = 1; i <= N; ++i) std::fprintf(out, ",%.17g", p.q[k][i]);
            std::fputc('\n', out);
        }
        return;
    }
    std::fprintf(out, "{\n  \"robot\": \"F%d%d\",\n  \"JRTYPE\": \"%.*s\",\n", s.sgnROBOT[0], s.sgnROBOT[1], N,
                 s.JRTYPE + 1);
    std::fprintf(out, "  \"slit\": [%.15g, %.15g, %.15g],\n  \"goal\": [%.15g, %.15g, %.15g],\n", s.rh[0], s.rh[1],
                 s.rh[2], s.rwp[0], s.rwp[1], s.rwp[2]);
    std::fprintf(out, "  \"path\": \"%s\",\n  \"speed\": %.15g,\n  \"joints\": [", p.kind, speed);
    for (int i = 1; i <= N; ++i) std::fprintf(out, i == 1 ? "\"j%d\"" : ", \"j%d\"", i);
    std::fprintf(out, "],\n  \"rows\": [");
    for (int k = 0; k < p.n; ++k) {
        std::fprintf(out, "%s\n    {\"t\": %.17g, \"q\": [", k ? "," : "", t[k]);
        for (int i = 1; i <= N; ++i) std::fprintf(out, i == 1 ? "%.17g" : ", %.17g", p.q[k][i]);
        std::fprintf(out, "]}");
    }
    std::fprintf(out, "%s]\n}\n", p.n ? "\n  " : "");
}
