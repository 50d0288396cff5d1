// The character-driven parser. Without a context value it reads JSON text (leniently unless
// strict); with one it evaluates a path against it. All state lives in the tokenizer, so the
// text may arrive in chunks split anywhere.
#include "support/json/json_internal.h"
#include "vcl/streams.h"

using namespace json_detail;

TJsonTokenizer::TJsonTokenizer() { Reset(); }

void TJsonTokenizer::ResetLevel(int level)
{
    TJsonTokenerSrec& s = stack[level];
    s.state = tsEatws;
    s.saved_state = tsStart;
    s.current = nullptr;
    s.field_name.clear();
    s.obj = nullptr;
    s.parent = nullptr;
    s.gparent = nullptr;
    s.index = -1;
    s.has_slot = false;
}

void TJsonTokenizer::Reset()
{
    for (int i = depth; i >= 0; --i) ResetLevel(i);
    depth = 0;
    err = teSuccess;
}

namespace {

bool IsDelimiter(char16_t c)
{
    switch (c) {
    case 0: case 8: case 9: case 10: case 12: case 13: case u' ': case u'"': case u'(': case u')':
    case u',': case u'.': case u':': case u'[': case u']': case u'{': case u'}': return true;
    default: return false;
    }
}

int HexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The value of a number text the number state collected. Malformed texts (which the state
// lets through, such as "1.2.3" or "-") give the int 0.
IJsonObject NumberValue(const JsonString& text, bool isDouble, int floatcount)
{
    int64_t i;
    double d;
    if (isDouble && floatcount >= 0 && floatcount <= 4) {
        JsonString digits;
        for (char16_t c : text)
            if (c != u'.') digits.push_back(c);
        static const int64_t kScale[] = {10000, 1000, 100, 10, 1};
        int64_t c;
        if (TextToInt64(digits, i) && !__builtin_mul_overflow(i, kScale[floatcount], &c))
            return TJsonObject::CreateCurrency(c);
    }
    if (!isDouble && TextToInt64(text, i)) return TJsonObject::Create(i);
    if (TextToDouble(text, d, true)) return TJsonObject::Create(d);   // also integers beyond 64 bits
    return TJsonObject::Create(int64_t{0});
}

struct TMachine {
    TJsonTokenizer& tok;
    const char16_t* str;
    int32_t len;
    bool strict;
    const IJsonObject& This;
    TJsonFindOptions options;
    const IJsonObject& put;
    TJsonType dt;

    TJsonTokenerSrec& Cur() { return tok.stack[tok.depth]; }
    bool PathLevel() const { return This && tok.depth == 0; }

    static void Finish(TJsonTokenerSrec& s)
    {
        s.saved_state = tsFinish;
        s.state = tsEatws;
    }

    bool Push()
    {
        if (tok.depth > TJsonTokenizer::kLevels - 2) {
            tok.err = teDepth;
            return false;
        }
        ++tok.depth;
        tok.ResetLevel(tok.depth);
        return true;
    }

    void PutSlot(TJsonTokenerSrec& s, const IJsonObject& v)
    {
        if (!s.has_slot || !s.parent) return;
        if (TJsonTableString* o = s.parent->AsObject()) o->PutO(s.field_name, v);
        else if (TJsonArray* a = s.parent->AsArray()) {
            if (s.index == -2) a->Add(v);
            else a->PutO(static_cast<int32_t>(s.index), v);
        }
    }

    IJsonObject DeleteSlot(TJsonTokenerSrec& s)
    {
        if (!s.has_slot || !s.parent) return nullptr;
        if (TJsonTableString* o = s.parent->AsObject()) return o->Delete(s.field_name);
        if (TJsonArray* a = s.parent->AsArray())
            if (s.index >= 0) return a->Delete(static_cast<int32_t>(s.index));
        return nullptr;
    }

    // The last step of a path: read, put, delete or create, then call a method value.
    void EndOfPath(TJsonTokenerSrec& s)
    {
        IJsonObject result = s.current;
        if (s.has_slot) {
            if (options & foPutValue) {
                PutSlot(s, put);
                result = put;
            } else if (options & foDelete) {
                result = DeleteSlot(s);
            } else if ((options & foCreatePath) && !s.current) {
                result = TJsonObject::Create(dt);
                PutSlot(s, result);
            }
        }
        if ((options & foCallMethod) && result && result->AsMethod()) {
            IJsonObject r;
            result->AsMethod()(s.parent, put, r);
            result = r;
        }
        s.current = result;
    }

    // The step into an array element of a path: index must be a non-negative 32-bit int.
    bool SelectElement(TJsonTokenerSrec& s, const IJsonObject& array, const IJsonObject& index)
    {
        if (!index || !index->IsType(stInt) || index->AsInteger() < 0 || index->AsInteger() >= TJsonArray::MaxLength) {
            tok.err = teEvalInt;
            return false;
        }
        s.parent = array;
        s.index = index->AsInteger();
        s.has_slot = true;
        s.current = array->AsArray()->GetO(static_cast<int32_t>(s.index));
        s.state = tsEvalStep;
        return true;
    }

    // Where an unquoted value ends, by what encloses it.
    bool EndsIdentifier(char16_t c) const
    {
        if (c == 0) return true;
        if (tok.depth == 0) return false;
        switch (tok.stack[tok.depth - 1].state) {
        case tsArrayAdd: return c == u',' || c == u']';
        case tsObjectValueAdd: return c == u',' || c == u'}';
        case tsParamPut: return c == u']';
        case tsMethodPut: return c == u',' || c == u')';
        default: return false;
        }
    }

    // Feeds one character to the current level. Answers whether it was consumed; sets
    // stop when the top level finished.
    bool Step(char16_t c, bool& stop)
    {
        for (;;) {
            TJsonTokenerSrec& s = Cur();
            switch (s.state) {
            case tsEatws:
                if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\b') return true;
                if (c == u'/') {
                    tok.pb.Reset();
                    tok.pb.Append(u"/", 1);
                    s.state = tsCommentStart;
                    return true;
                }
                s.state = s.saved_state;
                continue;

            case tsStart:
                if (c == u'"' || c == u'\'') {
                    s.state = tsString;
                    tok.pb.Reset();
                    tok.quote_char = c;
                    return true;
                }
                if (c == u'[') {
                    s.current = TJsonObject::Create(stArray);
                    s.saved_state = tsArray;
                    s.state = tsEatws;
                    return true;
                }
                if (c == u'{') {
                    s.current = TJsonObject::Create(stObject);
                    s.saved_state = tsObjectFieldStart;
                    s.state = tsEatws;
                    return true;
                }
                tok.pb.Reset();
                if (c == u'-' || IsDigit(c)) {
                    if (IsDigit(c) && PathLevel() && This->IsType(stObject)) {
                        s.state = tsIdentifier;
                    } else {
                        s.state = tsNumber;
                        tok.is_double = 0;
                        tok.floatcount = -1;
                    }
                    continue;
                }
                if (PathLevel() && c != u'(') {
                    // A path names members: "null" or "true" there is a member's name.
                    s.state = tsIdentifier;
                    continue;
                }
                if (c == u'n' || c == u'N') {
                    s.state = tsNull;
                    tok.st_pos = 0;
                    continue;
                }
                if (c == u't' || c == u'T' || c == u'f' || c == u'F') {
                    s.state = tsBoolean;
                    tok.st_pos = 0;
                    continue;
                }
                if (c == u'(') {
                    if (PathLevel() && This->IsType(stMethod)) {
                        s.current = This;
                        s.parent = nullptr;
                        s.has_slot = false;
                        s.state = tsEvalMethod;
                    }
                    return true;
                }
                s.state = tsIdentifier;
                continue;

            case tsFinish:
                if (tok.depth == 0) {
                    stop = true;
                    return false;
                } else {
                    IJsonObject v = std::move(s.current);
                    tok.ResetLevel(tok.depth);
                    --tok.depth;
                    Cur().obj = std::move(v);
                    continue;
                }

            case tsNull:
            case tsBoolean: {
                const char16_t* word;
                if (s.state == tsNull) word = u"null";
                else {
                    char16_t first = tok.st_pos == 0 ? c : tok.pb.Data()[0];
                    word = first == u't' ? u"true" : u"false";
                }
                int32_t wlen = word[0] == u'f' ? 5 : 4;
                if (tok.st_pos < wlen) {
                    if (c == word[tok.st_pos]) {
                        tok.pb.Append(&c, 1);
                        ++tok.st_pos;
                        return true;
                    }
                    s.state = tsIdentifier;
                    continue;
                }
                if (c == u'.' || c == u'_' || IsAsciiLetter(c) || c >= 256) {
                    s.state = tsIdentifier;
                    continue;
                }
                s.current = s.state == tsNull ? TJsonObject::Create(stNull) : TJsonObject::Create(word[0] == u't');
                Finish(s);
                continue;
            }

            case tsNumber:
                if (c == u'+' || c == u'-' || c == u'.' || IsDigit(c) || c == u'e' || c == u'E') {
                    if (c == u'.') {
                        tok.is_double = 1;
                        tok.floatcount = 0;
                    } else if (IsDigit(c)) {
                        if (tok.is_double && tok.floatcount >= 0 && ++tok.floatcount > 4) tok.floatcount = -1;
                    } else if (c == u'e' || c == u'E') {
                        tok.is_double = 1;
                        tok.floatcount = -1;
                    }
                    tok.pb.Append(&c, 1);
                    return true;
                } else {
                    IJsonObject v = NumberValue(tok.pb.GetString(), tok.is_double != 0, tok.floatcount);
                    if (PathLevel() && This->IsType(stArray)) {
                        if (!SelectElement(s, This, v)) return false;
                        continue;
                    }
                    s.current = std::move(v);
                    Finish(s);
                    continue;
                }

            case tsString:
                if (c == tok.quote_char) {
                    s.current = TJsonObject::Create(tok.pb.GetString());
                    Finish(s);
                } else if (c == u'\\') {
                    s.saved_state = tsString;
                    s.state = tsStringEscape;
                } else {
                    tok.pb.Append(&c, 1);
                }
                return true;

            case tsStringEscape: {
                char16_t out = c;
                switch (c) {
                case u'b': out = 8; break;
                case u'f': out = 12; break;
                case u'n': out = 10; break;
                case u'r': out = 13; break;
                case u't': out = 9; break;
                case u'u':
                case u'x':
                    tok.ucs_char = 0;
                    tok.st_pos = 0;
                    s.state = c == u'u' ? tsEscapeUnicode : tsEscapeHexadecimal;
                    return true;
                default: break;
                }
                tok.pb.Append(&out, 1);
                s.state = s.saved_state;
                return true;
            }

            case tsEscapeUnicode:
            case tsEscapeHexadecimal: {
                int v = HexValue(c);
                if (v < 0) {
                    tok.err = teParseString;
                    return false;
                }
                tok.ucs_char = static_cast<char16_t>(tok.ucs_char * 16 + v);
                if (++tok.st_pos == (s.state == tsEscapeUnicode ? 4 : 2)) {
                    tok.pb.Append(&tok.ucs_char, 1);
                    s.state = s.saved_state;
                }
                return true;
            }

            case tsIdentifier:
                if (PathLevel()) {
                    if (IsDelimiter(c)) {
                        if (!s.current || !s.current->IsType(stObject)) {
                            tok.err = teEvalObject;
                            return false;
                        }
                        s.parent = s.current;
                        s.field_name = tok.pb.GetString();
                        s.index = -1;
                        s.has_slot = true;
                        s.current = s.parent->AsObject()->GetO(s.field_name);
                        s.state = tsEvalStep;
                        continue;
                    }
                } else if (EndsIdentifier(c)) {
                    if (strict) {
                        tok.err = teParseString;
                        return false;
                    }
                    tok.pb.TrimRight();
                    s.current = TJsonObject::Create(tok.pb.GetString());
                    Finish(s);
                    continue;
                }
                if (c == u'\\') {
                    s.saved_state = tsIdentifier;
                    s.state = tsStringEscape;
                } else {
                    tok.pb.Append(&c, 1);
                }
                return true;

            case tsCommentStart:
                if (c == u'*') s.state = tsComment;
                else if (c == u'/') s.state = tsCommentEol;
                else {
                    tok.err = teParseComment;
                    return false;
                }
                return true;
            case tsComment:
                if (c == u'*') s.state = tsCommentEnd;
                return true;
            case tsCommentEnd:
                s.state = c == u'/' ? tsEatws : tsComment;
                return true;
            case tsCommentEol:
                if (c == u'\n') s.state = tsEatws;
                return true;

            case tsArray:
                if (c == u']') {
                    Finish(s);
                    return true;
                }
                s.state = tsArrayAdd;
                if (!Push()) return false;
                continue;
            case tsArrayAdd:
                if (s.current->AsArray()->Add(s.obj) < 0) {
                    tok.err = teParseArray;
                    return false;
                }
                s.obj = nullptr;
                s.saved_state = tsArraySep;
                s.state = tsEatws;
                continue;
            case tsArraySep:
                if (c == u']') Finish(s);
                else if (c == u',') {
                    s.saved_state = tsArray;
                    s.state = tsEatws;
                } else {
                    tok.err = teParseArray;
                    return false;
                }
                return true;

            case tsObjectFieldStart:
                if (c == u'}') {
                    Finish(s);
                    return true;
                }
                if (c == u'"' || c == u'\'') {
                    s.state = tsObjectField;
                    tok.quote_char = c;
                    tok.pb.Reset();
                    return true;
                }
                if (c < 256 && (strict || IsDelimiter(c))) {
                    tok.err = teParseObjectKeyName;
                    return false;
                }
                s.state = tsObjectUnquotedField;
                tok.pb.Reset();
                continue;
            case tsObjectField:
                if (c == tok.quote_char) {
                    s.field_name = tok.pb.GetString();
                    s.saved_state = tsObjectFieldEnd;
                    s.state = tsEatws;
                } else if (c == u'\\') {
                    s.saved_state = tsObjectField;
                    s.state = tsStringEscape;
                } else {
                    tok.pb.Append(&c, 1);
                }
                return true;
            case tsObjectUnquotedField:
                if (c == u':' || c == 0) {
                    s.field_name = tok.pb.GetString();
                    s.saved_state = tsObjectFieldEnd;
                    s.state = tsEatws;
                    continue;
                }
                if (c == u'\\') {
                    s.saved_state = tsObjectUnquotedField;
                    s.state = tsStringEscape;
                } else {
                    tok.pb.Append(&c, 1);
                }
                return true;
            case tsObjectFieldEnd:
                if (c != u':') {
                    tok.err = teParseObjectKeySep;
                    return false;
                }
                s.saved_state = tsObjectValue;
                s.state = tsEatws;
                return true;
            case tsObjectValue:
                s.state = tsObjectValueAdd;
                if (!Push()) return false;
                continue;
            case tsObjectValueAdd:
                s.current->AsObject()->PutO(s.field_name, s.obj);
                s.field_name.clear();
                s.obj = nullptr;
                s.saved_state = tsObjectSep;
                s.state = tsEatws;
                continue;
            case tsObjectSep:
                if (c == u'}') Finish(s);
                else if (c == u',') {
                    s.saved_state = tsObjectFieldStart;
                    s.state = tsEatws;
                } else {
                    tok.err = teParseObjectValueSep;
                    return false;
                }
                return true;

            // ---- Path steps (level 0 with a context value) ----
            case tsEvalStep:
                if (c == u'.') s.state = tsEvalProperty;
                else if (c == u'[') s.state = tsEvalArray;
                else if (c == u'(') s.state = tsEvalMethod;
                else {
                    EndOfPath(s);
                    Finish(s);
                    continue;
                }
                return true;
            case tsEvalProperty:
            case tsEvalArray: {
                TJsonType want = s.state == tsEvalProperty ? stObject : stArray;
                if (!s.current && (options & foCreatePath) && s.has_slot) {
                    s.current = TJsonObject::Create(want);
                    PutSlot(s, s.current);
                }
                if (!s.current || !s.current->IsType(want)) {
                    tok.err = want == stObject ? teEvalObject : teEvalArray;
                    return false;
                }
                tok.pb.Reset();
                s.state = want == stObject ? tsIdentifier : tsParamValue;
                continue;
            }
            case tsParamValue:
                if (c == u' ' || c == u'\t') return true;
                if (c == u']') {
                    s.parent = s.current;
                    s.index = -2;   // the position after the last element
                    s.has_slot = true;
                    s.current = nullptr;
                    s.state = tsEvalStep;
                    return true;
                }
                s.state = tsParamPut;
                if (!Push()) return false;
                continue;
            case tsParamPut: {
                if (c != u']') {
                    tok.err = teEvalArray;
                    return false;
                }
                IJsonObject index = std::move(s.obj);
                IJsonObject array = s.current;
                if (!SelectElement(s, array, index)) return false;
                return true;
            }
            case tsEvalMethod:
                if (!s.current || !s.current->AsMethod()) {
                    tok.err = teEvalMethod;
                    return false;
                }
                s.gparent = TJsonObject::Create(stArray);   // the arguments
                s.state = tsMethodValue;
                continue;
            case tsMethodValue:
                if (c == u' ' || c == u'\t') return true;
                if (c == u')') {
                    CallMethod(s);
                    return true;
                }
                s.state = tsMethodPut;
                if (!Push()) return false;
                continue;
            case tsMethodPut:
                s.gparent->AsArray()->Add(s.obj);
                s.obj = nullptr;
                if (c == u',') s.state = tsMethodValue;
                else if (c == u')') CallMethod(s);
                else {
                    tok.err = teEvalMethod;
                    return false;
                }
                return true;
            }
            return true;
        }
    }

    void CallMethod(TJsonTokenerSrec& s)
    {
        TJsonArray* args = s.gparent->AsArray();
        IJsonObject params = args->Length() == 1 ? args->GetO(0) : (args->Length() == 0 ? IJsonObject() : s.gparent);
        IJsonObject result;
        s.current->AsMethod()(s.parent, params, result);
        s.current = result;
        s.gparent = nullptr;
        s.parent = nullptr;
        s.has_slot = false;
        s.state = tsEvalStep;
    }
};

}  // namespace

IJsonObject ParseEx(TJsonTokenizer& tok, const char16_t* str, int32_t len, bool strict, const IJsonObject& This,
                    TJsonFindOptions options, const IJsonObject& put, TJsonType dt)
{
    TMachine m{tok, str, len, strict, This, options, put, dt};
    tok.str = str;
    tok.char_offset = 0;
    tok.err = teSuccess;
    TJsonTokenerSrec& top = tok.stack[0];
    if (This && tok.depth == 0 && top.state == tsEatws && top.saved_state == tsStart && !top.current) top.current = This;
    for (;;) {
        if (len >= 0 && tok.char_offset >= len) {
            TJsonTokenerSrec& s = tok.stack[tok.depth];
            tok.err = (tok.depth == 0 && s.state == tsEatws && s.saved_state == tsFinish) ? teSuccess : teContinue;
            break;
        }
        char16_t c = str[tok.char_offset];
        if (c == u'\t') tok.col += 4;
        else if (c == u'\n') {
            ++tok.line;
            tok.col = 0;
        } else {
            ++tok.col;
        }
        bool stop = false;
        bool consumed = m.Step(c, stop);
        if (tok.err != teSuccess || stop) break;
        if (consumed) {
            ++tok.char_offset;
            if (c == 0) {
                TJsonTokenerSrec& s = tok.stack[tok.depth];
                if (tok.depth != 0 || (s.state != tsFinish && s.saved_state != tsFinish)) tok.err = teParseEof;
                break;
            }
        }
    }
    if (tok.err != teSuccess) return nullptr;
    return tok.stack[0].current;
}

IJsonObject ParseString(const JsonString& s, bool strict, bool partial, const IJsonObject& This, TJsonFindOptions options,
                        const IJsonObject& put, TJsonType dt, TJsonTokenizerError* error)
{
    TJsonTokenizer tok;
    IJsonObject r = ParseEx(tok, s.c_str(), -1, strict, This, options, put, dt);
    if (error) *error = tok.err;
    if (tok.err != teSuccess) return nullptr;
    if (!partial && static_cast<size_t>(tok.char_offset) < s.size()) return nullptr;
    return r;
}

IJsonObject ParseStream(TStream& stream, bool strict, bool partial, const IJsonObject& This, TJsonFindOptions options,
                        const IJsonObject& put, TJsonType dt)
{
    uint8_t bom[2] = {0, 0};
    int64_t got = stream.Read(bom, 2);
    bool wide = got == 2 && bom[0] == 0xFF && bom[1] == 0xFE;
    if (!wide) stream.Seek(-got, TSeekOrigin::soCurrent);
    TJsonTokenizer tok;
    char16_t buf[1024];
    uint8_t bytes[2048];
    IJsonObject r;
    for (;;) {
        int64_t n = stream.Read(bytes, wide ? 2048 : 1024);
        int32_t units = static_cast<int32_t>(wide ? n / 2 : n);
        for (int32_t i = 0; i < units; ++i)
            buf[i] = wide ? static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)) : static_cast<char16_t>(bytes[i]);
        if (units <= 0) break;
        r = ParseEx(tok, buf, units, strict, This, options, put, dt);
        if (tok.err == teContinue) continue;
        if (tok.err != teSuccess) return nullptr;
        if (tok.char_offset < units) return partial ? r : nullptr;   // the value ended inside this chunk
        // Finished exactly at the chunk's end: read on, blanks and comments may follow.
    }
    if (tok.err != teSuccess || tok.depth != 0) return nullptr;
    return tok.stack[0].current;
}

IJsonObject ParseFile(const String& fileName, bool strict, bool partial, const IJsonObject& This, TJsonFindOptions options,
                      const IJsonObject& put, TJsonType dt)
{
    TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
    return ParseStream(f, strict, partial, This, options, put, dt);
}
