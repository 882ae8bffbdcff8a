#include "app/session.h"

#include "app/auto_solve.h"

#include <cmath>
#include <cstdlib>

#include "app/status_text.h"
#include "core/scene.h"
#include "model/kinematics.h"


bool parseKeyScript(const std::string& script, std::vector<unsigned char>& keys, std::string& error) {
    keys.clear();
    const size_t n = script.size();
    size_t i = 0;
    auto fail = [&](const std::string& what, size_t at) {
        error = what + " at position " + std::to_string(at) + " of the key script";
        keys.clear();
        return false;
    };
    while (i < n) {
        char c = script[i];
        if (c == '}') return fail("unmatched '}'", i);
        if (c != '{') {
            keys.push_back(static_cast<unsigned char>(c));
            ++i;
            continue;
        }
        // A brace group: {SP}, {ESC}, {x*N}, {{SP}*N} or {{ESC}*N}.
        const size_t start = i++;
        unsigned char key = 0;
        bool named = false;
        size_t inner = i;
        if (i < n && script[i] == '{') inner = i + 1;
        for (const char* name : {"SP", "ESC"}) {
            std::string word = std::string(name) + "}";
            if (script.compare(inner, word.size(), word) == 0) {
                key = name[0] == 'S' ? ' ' : 27;
                named = true;
                i = inner + word.size();
                break;
            }
        }
        if (inner != i && !named) return fail("unknown key name in '{{'", start);
        if (named && inner == start + 1) {  // {SP} or {ESC}
            keys.push_back(key);
            continue;
        }
        if (!named) {
            if (i >= n) return fail("unclosed '{'", start);
            key = static_cast<unsigned char>(script[i++]);
        }
        if (i >= n || script[i] != '*') return fail("expected '*N}' after the key", start);
        size_t close = script.find('}', i);
        if (close == std::string::npos) return fail("unclosed '{'", start);
        std::string num = script.substr(i + 1, close - i - 1);
        if (num.empty() || num.size() > 6 || num.find_first_not_of("0123456789") != std::string::npos)
            return fail("bad repeat count '" + num + "'", start);
        long count = std::strtol(num.c_str(), nullptr, 10);
        keys.insert(keys.end(), static_cast<size_t>(count), key);
        i = close + 1;
    }
    return true;
}

namespace {

void jsonNumber(std::FILE* out, double v) {
    // 15 significant digits: the summary reports 2.1, not the binary neighbour 2.0999999999999996.
    if (std::isfinite(v))
        std::fprintf(out, "%.15g", v);
    else
        std::fprintf(out, "null");
}

void jsonVec(std::FILE* out, const double* v, int n) {
    std::fputc('[', out);
    for (int i = 0; i < n; ++i) {
        if (i) std::fputc(',', out);
        jsonNumber(out, v[i]);
    }
    std::fputc(']', out);
}

void jsonString(std::FILE* out, const char* text) {
    std::fputc('"', out);
    for (const char* p = text; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == '"' || c == '\\')
            std::fprintf(out, "\\%c", c);
        else if (c == '\n')
            std::fprintf(out, "\\n");
        else if (c < 0x20)
            std::fprintf(out, "\\u%04x", c);
        else
            std::fputc(c, out);
    }
    std::fputc('"', out);
}

void jsonChar(std::FILE* out, char c) {
    char text[2] = {c, 0};
    jsonString(out, text);
}

void jsonSolve(std::FILE* out, const SolveResult& r) {
    std::fprintf(out, ",\n  \"solve\": {\"result\": \"%s\", \"candidate\": %d, \"candidatesTried\": %d, ",
                 r.complete ? "complete" : "no path", r.candidate, r.candidatesTried);
    std::fprintf(out, "\"trial\": \"%c\", \"keys\": %d, \"sKeys\": %d, \"rows\": %d, ", r.complete && r.trial != ' ' ? r.trial : '-',
                 r.keys, r.sKeys, r.rows);
    std::fprintf(out, "\"ms\": %.3f, \"msB\": %.3f, ", r.millis, r.millisB);
    if (r.complete)
        std::fprintf(out, "\"clearance\": {\"wall\": %.4f, \"floor\": %.4f, \"workFloor\": %.4f, \"work\": %.4f, \"self\": %.4f}, ",
                     r.clearance[0], r.clearance[1], r.clearance[2], r.clearance[3], r.clearance[4]);
    if (r.shortened)
        std::fprintf(out,
                     "\"shorten\": {\"length\": [%.4f, %.4f], \"trail\": [%.4f, %.4f], \"maxStep\": %.4f, "
                     "\"rows\": %d, \"ms\": %.3f}, ",
                     r.lengthBefore, r.lengthAfter, r.trailBefore, r.trailAfter, r.shortMaxStep, r.shortRows, r.shortMillis);
    std::fprintf(out, "\"poseBy\": ");
    jsonString(out, r.poseBy);
    std::fprintf(out, ", \"pathBy\": ");
    jsonString(out, r.pathBy);
    std::fprintf(out, ", \"msKeys\": %.3f, ", r.millisKeys);
    if (r.numericStarts > 0)
        std::fprintf(out, "\"numeric\": {\"found\": %d, \"ms\": %.3f, \"starts\": %d, \"errP\": %.3g, \"errFrame\": %.3g, \"slitOffset\": %.4f}, ",
                     r.numericFound, r.millisNumeric, r.numericStarts, r.numericErrP, r.numericErrFrame, r.numericSlitOffset);
    if (r.planner[0]) {
        std::fprintf(out, "\"planner\": {\"name\": ");
        jsonString(out, r.planner);
        std::fprintf(out, ", \"status\": ");
        jsonString(out, r.plannerStatus);
        std::fprintf(out, ", \"ms\": %.3f, \"waypoints\": %d, \"length\": %.4f, \"poseChecks\": %ld, \"motionChecks\": %ld}, ",
                     r.millisPlanner, r.plannerWaypoints, r.plannerLength, r.plannerPoseChecks, r.plannerMotionChecks);
    }
    std::fprintf(out, "\"stop\": ");
    jsonString(out, r.stop);
    std::fprintf(out, ",\n    \"script\": ");
    jsonString(out, r.script);
    std::fprintf(out, ",\n    \"attempts\": [");
    for (int k = 0; k < r.nAttempts && k < kSolveMaxAttempts; ++k) {
        const SolveAttempt& a = r.attempts[k];
        std::fprintf(out, "%s\n      {\"candidate\": %d, \"finalPose\": %d, \"trials\": [", k ? "," : "", a.candidate,
                     a.finalPose);
        for (int t = 0; t < a.trials && t < 2; ++t)
            std::fprintf(out, "%s{\"phase\": %d, \"status\": %d, \"joint\": %d, \"rows\": %d}", t ? ", " : "",
                         a.phase[t], a.status[t], a.joint[t], a.rows[t]);
        std::fprintf(out, "]}");
    }
    std::fprintf(out, "%s]}", r.nAttempts ? "\n    " : "");
}

// The robot, the wall, the goal, the flags of the calculations and the two joint vectors.
void jsonState(Scene& s, std::FILE* out) {
    std::fprintf(out, "{\n  \"robot\": \"F%d%d\",\n", s.sgnROBOT[0], s.sgnROBOT[1]);
    std::fprintf(out, "  \"JRTYPE\": ");
    jsonString(out, s.JRTYPE);
    std::fprintf(out, ",\n  \"rh\": ");
    jsonVec(out, s.rh.data(), 3);
    std::fprintf(out, ",\n  \"rhx\": ");
    jsonNumber(out, s.rhx);
    std::fprintf(out, ",\n  \"rhy1\": ");
    jsonNumber(out, s.rhy1);
    std::fprintf(out, ",\n  \"rhy2\": ");
    jsonNumber(out, s.rhy2);
    std::fprintf(out, ",\n  \"rwG\": ");
    jsonVec(out, s.rwG.data(), 3);
    std::fprintf(out, ",\n  \"rwp\": ");
    jsonVec(out, s.rwp.data(), 3);
    std::fprintf(out, ",\n  \"wristp\": ");
    jsonVec(out, s.wristp.data(), 3);
    std::fprintf(out, ",\n  \"sgnOBSTACLE\": %d,\n  \"Mpass\": %d,\n  \"MW\": %d", s.sgnOBSTACLE, s.Mpass, s.MW);
    std::fprintf(out, ",\n  \"sgnCAL\": ");
    jsonChar(out, s.sgnCAL);
    std::fprintf(out, ",\n  \"sgnP\": %d,\n  \"sgnT\": %d,\n  \"sgnSOLAEnd\": %d,\n  \"sgnPS\": %d", s.sgnP, s.sgnT,
                 s.sgnSOLAEnd, s.sgnPS);
    std::fprintf(out, ",\n  \"nqss0\": %d,\n  \"cntqs0\": %d", s.nqss0, s.cntqs0);
    std::fprintf(out, ",\n  \"sgnPATH\": %d,\n  \"sgnPATHEnd\": %d,\n  \"sgnMColl\": %d,\n  \"JColl\": %d", s.sgnPATH,
                 s.sgnPATHEnd, s.sgnMColl, s.JColl);
    std::fprintf(out, ",\n  \"NPATH\": %d,\n  \"sgnNMAX\": ", s.NPATH);
    jsonChar(out, s.sgnNMAX);
    std::fprintf(out, ",\n  \"sgnMOVE\": ");
    jsonChar(out, s.sgnMOVE);
    std::fprintf(out, ",\n  \"nMOVE\": %d,\n  \"errP\": ", s.nMOVE);
    jsonNumber(out, s.errP);
    std::fprintf(out, ",\n  \"errT\": ");
    jsonNumber(out, s.errT);
    std::fprintf(out, ",\n  \"qr\": ");
    jsonVec(out, s.qr, s.N + 1);
    std::fprintf(out, ",\n  \"qAfinal\": ");
    jsonVec(out, s.qAfinal, s.N + 1);
}

// Joint positions of qr (the display's pose) and the status lines the window would show for
// this state, in drawing order.
void jsonDisplay(Scene& s, std::FILE* out) {
    forwardKinematics(s, s.qr);
    std::fprintf(out, ",\n  \"J\": [");
    for (int i = 0; i <= s.Nw; ++i) {
        if (i) std::fputc(',', out);
        jsonVec(out, s.J[i].data(), 3);
    }
    std::fprintf(out, "],\n  \"rw\": ");
    jsonVec(out, s.rw.data(), 3);
    const StatusText status = chooseStatusLines(s);
    std::fprintf(out, ",\n  \"status\": [");
    for (int i = 0; i < status.n; ++i) {
        std::fprintf(out, i ? ", " : "");
        jsonString(out, status.line[i].text);
    }
    std::fprintf(out, "]");
}

// The keys pressed, in the key script's notation, with the time each took.
void jsonKeys(const std::vector<unsigned char>& keys, const std::vector<double>& keyMillis, std::FILE* out) {
    std::fprintf(out, ",\n  \"keys\": [");
    for (size_t i = 0; i < keys.size() && i < keyMillis.size(); ++i) {
        if (i) std::fputc(',', out);
        char name[8];
        if (keys[i] == ' ')
            std::snprintf(name, sizeof name, "{SP}");
        else if (keys[i] == 27)
            std::snprintf(name, sizeof name, "{ESC}");
        else if (keys[i] >= 0x20 && keys[i] < 0x7f)
            std::snprintf(name, sizeof name, "%c", keys[i]);
        else
            std::snprintf(name, sizeof name, "\\x%02x", keys[i]);
        std::fprintf(out, "\n    {\"key\": ");
        jsonString(out, name);
        std::fprintf(out, ", \"ms\": %.3f}", keyMillis[i]);
    }
    std::fprintf(out, "%s]", keys.empty() ? "" : "\n  ");
}

}  // namespace

void writeJsonSummary(Scene& s, const std::vector<unsigned char>& keys, const std::vector<double>& keyMillis,
                      std::FILE* out, const SolveResult* solve) {
    jsonState(s, out);
    jsonDisplay(s, out);
    jsonKeys(keys, keyMillis, out);
    if (solve) jsonSolve(out, *solve);
    std::fprintf(out, "\n}\n");
}
