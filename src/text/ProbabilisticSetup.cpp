#include "text/ProbabilisticSetup.h"
#include "text/NumberForms.h"
#include <charconv>
#include <cmath>

namespace {
std::string Number(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string Trim(const std::string& s) {
    std::size_t a = 0, b = s.size();
    while (a < b && static_cast<unsigned char>(s[a]) <= ' ')
        ++a;
    while (b > a && static_cast<unsigned char>(s[b - 1]) <= ' ')
        --b;
    return s.substr(a, b - a);
}

// "x,y,z" into numbers (blanks around each allowed).
bool Numbers(const std::string& text, std::vector<double>& out) {
    out.clear();
    std::size_t from = 0;
    while (true) {
        const std::size_t comma = text.find(',', from);
        const std::string part =
            Trim(text.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
        Extended v = 0;
        if (!ParseFloat(part, v) || !std::isfinite(static_cast<double>(v)))
            return false;
        out.push_back(static_cast<double>(v));
        if (comma == std::string::npos)
            return true;
        from = comma + 1;
    }
}

const char* KindName(TDistributionKind k) {
    switch (k) {
    case TDistributionKind::Normal:
        return "normal";
    case TDistributionKind::Lognormal:
        return "lognormal";
    case TDistributionKind::Uniform:
        return "uniform";
    case TDistributionKind::Triangular:
        return "triangular";
    }
    return "";
}

// A positive 1-based index with nothing after it.
bool Index(const std::string& digits, int& index) {
    if (digits.empty() || digits.size() > 6)
        return false;
    const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    return r.ec == std::errc() && r.ptr == digits.data() + digits.size() && index >= 1;
}
} // namespace

bool TRandomVariable::operator==(const TRandomVariable& o) const {
    return Target == o.Target && Index == o.Index && Kind == o.Kind && P1 == o.P1 && P2 == o.P2 &&
           P3 == o.P3 && Truncated == o.Truncated && Min == o.Min && Max == o.Max;
}

bool TProbabilisticSetup::operator==(const TProbabilisticSetup& o) const {
    if (Correlations.size() != o.Correlations.size())
        return false;
    for (std::size_t i = 0; i < Correlations.size(); ++i)
        if (Correlations[i].Soil != o.Correlations[i].Soil || Correlations[i].R != o.Correlations[i].R)
            return false;
    return Present == o.Present && Samples == o.Samples && Seed == o.Seed && Sampling == o.Sampling &&
           Mode == o.Mode && Variables == o.Variables;
}

std::string VariableName(const TRandomVariable& v) {
    const std::string k = std::to_string(v.Index);
    switch (v.Target) {
    case TRandomTarget::MoistWeight:
        return "soil" + k + ".gamma";
    case TRandomTarget::SaturatedWeight:
        return "soil" + k + ".gamma_sat";
    case TRandomTarget::Cohesion:
        return "soil" + k + ".c";
    case TRandomTarget::FrictionAngle:
        return "soil" + k + ".phi";
    case TRandomTarget::WaterShift:
        return "water" + k + ".dy";
    case TRandomTarget::Kh:
        return "kh";
    case TRandomTarget::Kv:
        return "kv";
    }
    return "";
}

std::string DistributionText(const TRandomVariable& v) {
    std::string s = std::string(KindName(v.Kind)) + "(" + Number(v.P1) + "," + Number(v.P2);
    if (v.Kind == TDistributionKind::Triangular)
        s += "," + Number(v.P3);
    s += ")";
    if (v.Truncated)
        s += "[" + Number(v.Min) + "," + Number(v.Max) + "]";
    return s;
}

bool ParseVariableName(const std::string& raw, TRandomTarget& target, int& index) {
    const std::string text = Trim(raw);
    if (text == "kh" || text == "kv") {
        target = text == "kh" ? TRandomTarget::Kh : TRandomTarget::Kv;
        index = 0;
        return true;
    }
    const std::size_t dot = text.find('.');
    if (dot == std::string::npos)
        return false;
    const std::string head = text.substr(0, dot), field = text.substr(dot + 1);
    if (head.compare(0, 5, "water") == 0)
        return field == "dy" && Index(head.substr(5), index) && (target = TRandomTarget::WaterShift, true);
    if (head.compare(0, 4, "soil") != 0 || !Index(head.substr(4), index))
        return false;
    if (field == "gamma")
        target = TRandomTarget::MoistWeight;
    else if (field == "gamma_sat")
        target = TRandomTarget::SaturatedWeight;
    else if (field == "c")
        target = TRandomTarget::Cohesion;
    else if (field == "phi")
        target = TRandomTarget::FrictionAngle;
    else
        return false;
    return true;
}

bool CheckDistribution(const TRandomVariable& v, std::string& error) {
    const auto finite = [](double x) { return std::isfinite(x); };
    if (!finite(v.P1) || !finite(v.P2) || !finite(v.P3) || !finite(v.Min) || !finite(v.Max)) {
        error = "a parameter is not a number";
        return false;
    }
    switch (v.Kind) {
    case TDistributionKind::Normal:
    case TDistributionKind::Lognormal:
        if (!(v.P2 > 0)) {
            error = "the standard deviation must be positive";
            return false;
        }
        if (v.Kind == TDistributionKind::Lognormal && !(v.P1 > 0)) {
            error = "a lognormal variable needs a positive mean";
            return false;
        }
        break;
    case TDistributionKind::Uniform:
        if (!(v.P1 < v.P2)) {
            error = "uniform(a,b) needs a < b";
            return false;
        }
        break;
    case TDistributionKind::Triangular:
        if (!(v.P1 < v.P3) || v.P2 < v.P1 || v.P2 > v.P3) {
            error = "triangular(a,mode,b) needs a < b and a <= mode <= b";
            return false;
        }
        break;
    default:
        error = "unknown distribution";
        return false;
    }
    if (v.Truncated && !(v.Min < v.Max)) {
        error = "the truncation [min,max] needs min < max";
        return false;
    }
    return true;
}

bool ParseDistribution(const std::string& raw, TRandomVariable& v, std::string& error) {
    const std::string text = Trim(raw);
    const std::size_t open = text.find('('), close = text.find(')');
    if (open == std::string::npos || close == std::string::npos || close < open) {
        error = "expected normal(mean,sd), lognormal(mean,sd), uniform(a,b) or triangular(a,mode,b)";
        return false;
    }
    const std::string name = Trim(text.substr(0, open));
    TRandomVariable out = v;
    int wanted = 2;
    if (name == "normal")
        out.Kind = TDistributionKind::Normal;
    else if (name == "lognormal")
        out.Kind = TDistributionKind::Lognormal;
    else if (name == "uniform")
        out.Kind = TDistributionKind::Uniform;
    else if (name == "triangular")
        out.Kind = TDistributionKind::Triangular, wanted = 3;
    else {
        error = "unknown distribution \"" + name + "\"";
        return false;
    }
    std::vector<double> p;
    if (!Numbers(text.substr(open + 1, close - open - 1), p) || static_cast<int>(p.size()) != wanted) {
        error = name + " takes " + std::to_string(wanted) + " numbers";
        return false;
    }
    out.P1 = p[0];
    out.P2 = p[1];
    out.P3 = wanted == 3 ? p[2] : 0;
    out.Truncated = false;
    out.Min = out.Max = 0;
    const std::string rest = Trim(text.substr(close + 1));
    if (!rest.empty()) {
        std::vector<double> range;
        if (rest.front() != '[' || rest.back() != ']' || !Numbers(rest.substr(1, rest.size() - 2), range) ||
            range.size() != 2) {
            error = "a truncation is written [min,max]";
            return false;
        }
        out.Truncated = true;
        out.Min = range[0];
        out.Max = range[1];
    }
    if (!CheckDistribution(out, error))
        return false;
    v = out;
    return true;
}

bool ParseVariableSpec(const std::string& text, TRandomVariable& v, std::string& error) {
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos) {
        error = "expected NAME=DISTRIBUTION";
        return false;
    }
    TRandomVariable out;
    if (!ParseVariableName(text.substr(0, eq), out.Target, out.Index)) {
        error = "unknown variable \"" + Trim(text.substr(0, eq)) +
                "\" (soilK.gamma, soilK.gamma_sat, soilK.c, soilK.phi, waterK.dy, kh or kv)";
        return false;
    }
    if (!ParseDistribution(text.substr(eq + 1), out, error))
        return false;
    v = out;
    return true;
}
