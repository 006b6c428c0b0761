// Fontconfig's matching for the browser build, where there is no fontconfig:
// the faces are the IPA fonts packed with the page under /fonts (or, for the
// tests run by node on the build machine, Debian's installed IPA fonts).
// Only what the portable text code asks is answered: a face by family name,
// the default Japanese face (IPAGothic) for any other name, and the list of
// the faces present.
#include <fontconfig/fontconfig.h>

#include <sys/stat.h>

#include <cctype>
#include <cstdarg>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

struct FcConfig {};

struct FcLangSet {
    std::vector<std::string> langs;
};

struct FcPattern {
    std::map<std::string, std::vector<std::string>> strings;
    std::map<std::string, std::vector<int>> integers;
    FcLangSet langs;
    bool hasLangs = false;
};

struct FcObjectSet {};

namespace {

struct PackedFace {
    const char* family;
    const char* file;
};
// IPAGothic first: it is the default Japanese face.
const PackedFace kFaces[] = {
    {"IPAGothic", "ipag.ttf"},
    {"IPAPGothic", "ipagp.ttf"},
    {"IPAMincho", "ipam.ttf"},
    {"IPAPMincho", "ipamp.ttf"},
};

bool Exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The path of a face's file: EL_FONT_DIR, the page's /fonts, then Debian's
// folders of the IPA fonts.
std::string FindFile(const char* file) {
    std::vector<std::string> folders;
    if (const char* env = std::getenv("EL_FONT_DIR"); env && *env) folders.emplace_back(env);
    folders.emplace_back("/fonts");
    folders.emplace_back("/usr/share/fonts/opentype/ipafont-gothic");
    folders.emplace_back("/usr/share/fonts/opentype/ipafont-mincho");
    for (const std::string& folder : folders)
        if (Exists(folder + "/" + file)) return folder + "/" + file;
    return {};
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

FcPattern* FacePattern(const PackedFace& face, const std::string& path) {
    auto* p = new FcPattern;
    p->strings[FC_FAMILY].emplace_back(face.family);
    p->strings[FC_FILE].push_back(path);
    p->integers[FC_INDEX].push_back(0);
    p->langs.langs.emplace_back("ja");
    p->langs.langs.emplace_back("en");
    p->hasLangs = true;
    return p;
}

}  // namespace

FcBool FcInit(void) { return FcTrue; }

FcConfig* FcConfigGetCurrent(void) {
    static FcConfig config;
    return &config;
}

FcPattern* FcPatternCreate(void) { return new FcPattern; }
void FcPatternDestroy(FcPattern* p) { delete p; }

FcBool FcPatternAddString(FcPattern* p, const char* object, const FcChar8* s) {
    if (!p || !object || !s) return FcFalse;
    p->strings[object].emplace_back(reinterpret_cast<const char*>(s));
    return FcTrue;
}

FcBool FcPatternAddInteger(FcPattern* p, const char* object, int i) {
    if (!p || !object) return FcFalse;
    p->integers[object].push_back(i);
    return FcTrue;
}

FcBool FcPatternAddBool(FcPattern* p, const char* object, FcBool b) { return FcPatternAddInteger(p, object, b); }

FcBool FcPatternAddLangSet(FcPattern* p, const char*, const FcLangSet* ls) {
    if (!p || !ls) return FcFalse;
    p->langs = *ls;
    p->hasLangs = true;
    return FcTrue;
}

FcResult FcPatternGetString(const FcPattern* p, const char* object, int n, FcChar8** s) {
    if (!p || !object || n < 0) return FcResultNoMatch;
    auto it = p->strings.find(object);
    if (it == p->strings.end() || static_cast<std::size_t>(n) >= it->second.size()) return FcResultNoMatch;
    *s = reinterpret_cast<FcChar8*>(const_cast<char*>(it->second[static_cast<std::size_t>(n)].c_str()));
    return FcResultMatch;
}

FcResult FcPatternGetInteger(const FcPattern* p, const char* object, int n, int* i) {
    if (!p || !object || n < 0) return FcResultNoMatch;
    auto it = p->integers.find(object);
    if (it == p->integers.end() || static_cast<std::size_t>(n) >= it->second.size()) return FcResultNoMatch;
    *i = it->second[static_cast<std::size_t>(n)];
    return FcResultMatch;
}

FcResult FcPatternGetLangSet(const FcPattern* p, const char*, int n, FcLangSet** ls) {
    if (!p || n != 0 || !p->hasLangs) return FcResultNoMatch;
    *ls = const_cast<FcLangSet*>(&p->langs);
    return FcResultMatch;
}

FcLangSet* FcLangSetCreate(void) { return new FcLangSet; }
void FcLangSetDestroy(FcLangSet* ls) { delete ls; }

FcBool FcLangSetAdd(FcLangSet* ls, const FcChar8* lang) {
    if (!ls || !lang) return FcFalse;
    ls->langs.emplace_back(reinterpret_cast<const char*>(lang));
    return FcTrue;
}

FcLangResult FcLangSetHasLang(const FcLangSet* ls, const FcChar8* lang) {
    if (ls && lang)
        for (const std::string& l : ls->langs)
            if (Lower(l) == Lower(reinterpret_cast<const char*>(lang))) return FcLangEqual;
    return FcLangDifferentLang;
}

FcBool FcConfigSubstitute(FcConfig*, FcPattern*, FcMatchKind) { return FcTrue; }
void FcDefaultSubstitute(FcPattern*) {}

FcPattern* FcFontMatch(FcConfig*, FcPattern* p, FcResult* result) {
    if (result) *result = FcResultNoMatch;
    std::vector<std::string> wanted;
    if (p)
        if (auto it = p->strings.find(FC_FAMILY); it != p->strings.end()) wanted = it->second;
    for (const std::string& family : wanted)
        for (const PackedFace& face : kFaces)
            if (Lower(family) == Lower(face.family))
                if (std::string path = FindFile(face.file); !path.empty()) {
                    if (result) *result = FcResultMatch;
                    return FacePattern(face, path);
                }
    for (const PackedFace& face : kFaces)
        if (std::string path = FindFile(face.file); !path.empty()) {
            if (result) *result = FcResultMatch;
            return FacePattern(face, path);
        }
    return nullptr;
}

FcObjectSet* FcObjectSetBuild(const char*, ...) { return new FcObjectSet; }
void FcObjectSetDestroy(FcObjectSet* os) { delete os; }

FcFontSet* FcFontList(FcConfig*, FcPattern*, FcObjectSet*) {
    auto* set = new FcFontSet{0, 0, nullptr};
    std::vector<FcPattern*> found;
    for (const PackedFace& face : kFaces)
        if (std::string path = FindFile(face.file); !path.empty()) found.push_back(FacePattern(face, path));
    set->nfont = set->sfont = static_cast<int>(found.size());
    set->fonts = new FcPattern*[found.size() + 1];
    for (std::size_t i = 0; i < found.size(); ++i) set->fonts[i] = found[i];
    return set;
}

void FcFontSetDestroy(FcFontSet* s) {
    if (!s) return;
    for (int i = 0; i < s->nfont; ++i) delete s->fonts[i];
    delete[] s->fonts;
    delete s;
}
