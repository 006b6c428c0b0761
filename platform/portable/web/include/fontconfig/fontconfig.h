// The part of fontconfig's interface the portable text code uses, for the
// browser build, where there is no fontconfig: the faces are the IPA fonts
// packed with the page (see fontconfig_packed.cpp). Names, types and
// results are fontconfig's, so the text code compiles unchanged.
#pragma once

typedef unsigned char FcChar8;
typedef int FcBool;
#define FcTrue 1
#define FcFalse 0

#define FC_FAMILY "family"
#define FC_FILE "file"
#define FC_INDEX "index"
#define FC_LANG "lang"
#define FC_SCALABLE "scalable"
#define FC_SLANT "slant"
#define FC_WEIGHT "weight"
#define FC_SLANT_ROMAN 0
#define FC_SLANT_ITALIC 100
#define FC_WEIGHT_REGULAR 80
#define FC_WEIGHT_BOLD 200

typedef enum { FcResultMatch, FcResultNoMatch, FcResultTypeMismatch, FcResultNoId, FcResultOutOfMemory } FcResult;
typedef enum { FcMatchPattern, FcMatchFont, FcMatchScan } FcMatchKind;
typedef enum { FcLangEqual = 0, FcLangDifferentCountry = 1, FcLangDifferentLang = 2 } FcLangResult;

typedef struct FcConfig FcConfig;
typedef struct FcPattern FcPattern;
typedef struct FcLangSet FcLangSet;
typedef struct FcObjectSet FcObjectSet;
typedef struct FcFontSet {
    int nfont;
    int sfont;
    FcPattern** fonts;
} FcFontSet;

// Always succeeds; the one configuration lists the packed faces found.
FcBool FcInit(void);
FcConfig* FcConfigGetCurrent(void);

FcPattern* FcPatternCreate(void);
void FcPatternDestroy(FcPattern* p);
// Adds a value to the object's list (FC_FAMILY: in order of preference).
FcBool FcPatternAddString(FcPattern* p, const char* object, const FcChar8* s);
FcBool FcPatternAddInteger(FcPattern* p, const char* object, int i);
FcBool FcPatternAddBool(FcPattern* p, const char* object, FcBool b);
FcBool FcPatternAddLangSet(FcPattern* p, const char* object, const FcLangSet* ls);
// The n-th value of the object; the string stays owned by the pattern.
FcResult FcPatternGetString(const FcPattern* p, const char* object, int n, FcChar8** s);
FcResult FcPatternGetInteger(const FcPattern* p, const char* object, int n, int* i);
FcResult FcPatternGetLangSet(const FcPattern* p, const char* object, int n, FcLangSet** ls);

FcLangSet* FcLangSetCreate(void);
void FcLangSetDestroy(FcLangSet* ls);
FcBool FcLangSetAdd(FcLangSet* ls, const FcChar8* lang);
FcLangResult FcLangSetHasLang(const FcLangSet* ls, const FcChar8* lang);

// Nothing to substitute: the packed faces are matched by family name.
FcBool FcConfigSubstitute(FcConfig* config, FcPattern* p, FcMatchKind kind);
void FcDefaultSubstitute(FcPattern* p);
// The packed face of the pattern's first family found, else the default
// Japanese face; null when no face is packed.
FcPattern* FcFontMatch(FcConfig* config, FcPattern* p, FcResult* result);

FcObjectSet* FcObjectSetBuild(const char* first, ...);
void FcObjectSetDestroy(FcObjectSet* os);
// Every packed face, with its family and languages.
FcFontSet* FcFontList(FcConfig* config, FcPattern* p, FcObjectSet* os);
void FcFontSetDestroy(FcFontSet* s);
