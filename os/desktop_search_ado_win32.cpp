// The connection and record set of the desktop search seam on Windows: ADO's "ADODB.Connection"
// and the record set its Execute returns, reached by late binding (IDispatch), so no type library
// is needed at build time. GetRows' two-dimensional SAFEARRAY (column × row) becomes the seam's
// row table.
#include "os/desktop_search.h"

#include "os/desktop_search_com_win32.h"
#include "os/wide_text.h"

#include <windows.h>

#include <array>
#include <limits>

namespace skimmer::os::search::win32 {
namespace {

// {00000514-0000-0010-8000-00AA006D2EA4}: ADO's connection class.
constexpr CLSID kClsidAdoConnection = {0x00000514, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
constexpr DWORD kServerContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

// The text a failed call left in its EXCEPINFO, freeing what it holds.
std::string takeDescription(EXCEPINFO& info) {
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    // Shown to the user with the plug-in's other texts: in its code page.
    std::string text =
        info.bstrDescription ? fromWide({info.bstrDescription, ::SysStringLen(info.bstrDescription)}) : std::string();
    ::SysFreeString(info.bstrSource);
    ::SysFreeString(info.bstrDescription);
    ::SysFreeString(info.bstrHelpFile);
    return text;
}

// One object reached by name. `args` are in the order the method declares them.
class Dispatch {
public:
    explicit Dispatch(ComPtr<IDispatch> object) : object_(std::move(object)) {}

    void call(const wchar_t* name, WORD kind, VARIANT* args, UINT count, VARIANT* result) {
        DISPID id = DISPID_UNKNOWN;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        // Names resolve through ADO's type library; a system without it registered fails here.
        const HRESULT found = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(found)) fail(found, "ADO's " + utf8(name) + " cannot be reached by name");
        // IDispatch takes its arguments last to first.
        std::array<VARIANT, 3> reversed{};
        for (UINT i = 0; i < count; ++i) reversed[count - 1 - i] = args[i];
        DISPPARAMS params{count ? reversed.data() : nullptr, nullptr, count, 0};
        EXCEPINFO info{};
        UINT badArgument = 0;
        const HRESULT hr =
            object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result, &info, &badArgument);
        if (hr == DISP_E_EXCEPTION) {
            // The method itself failed: its own code, not the dispatcher's, is the one to report.
            std::string description = takeDescription(info);
            const HRESULT code = info.scode ? info.scode : E_FAIL;
            fail(code, "ADO's " + utf8(name) + " failed" + (description.empty() ? "" : ": " + description));
        }
        if (FAILED(hr)) fail(hr, "ADO refused the call of its " + utf8(name));
    }

private:
    ComPtr<IDispatch> object_;
};

VARIANT textArgument(BSTR text) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = text;  // borrowed: the caller's Bstr outlives the call
    return v;
}

VARIANT longArgument(LONG value) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

// An optional argument left out.
VARIANT missingArgument() {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_ERROR;
    v.scode = DISP_E_PARAMNOTFOUND;
    return v;
}

// A BSTR (or a list of them, as a multi-valued property comes) as UTF-8 text; list items are
// joined with "; ", as the system shows such a property.
std::string textOf(const VARIANT& v);

std::string textOfList(SAFEARRAY* list, VARTYPE element) {
    LONG low = 0, high = -1;
    if (::SafeArrayGetDim(list) != 1 || FAILED(::SafeArrayGetLBound(list, 1, &low)) ||
        FAILED(::SafeArrayGetUBound(list, 1, &high)))
        return {};
    std::string joined;
    for (LONG i = low; i <= high; ++i) {
        VariantValue item;
        if (element == VT_VARIANT) {
            if (FAILED(::SafeArrayGetElement(list, &i, item.get()))) continue;
        } else {
            BSTR text = nullptr;
            if (FAILED(::SafeArrayGetElement(list, &i, &text))) continue;
            item.get()->vt = VT_BSTR;
            item.get()->bstrVal = text;  // owned by the VARIANT from here
        }
        if (!joined.empty()) joined += "; ";
        joined += textOf(*item);
    }
    return joined;
}

std::string textOf(const VARIANT& v) {
    if (v.vt == VT_BSTR) return v.bstrVal ? utf8(v.bstrVal, ::SysStringLen(v.bstrVal)) : std::string();
    if (v.vt == (VT_ARRAY | VT_BSTR) || v.vt == (VT_ARRAY | VT_VARIANT))
        return textOfList(v.parray, static_cast<VARTYPE>(v.vt & VT_TYPEMASK));
    VariantValue converted;
    // VariantChangeType only reads its source; its declaration is not const-correct.
    if (FAILED(::VariantChangeType(converted.get(), const_cast<VARIANT*>(&v), 0, VT_BSTR))) return {};
    return textOf(*converted);
}

// One cell of GetRows' array as the seam's variant. An unsigned value beyond the signed range
// keeps its bits (the engine reads the low 32 of a size).
Variant cellOf(const VARIANT& v) {
    switch (v.vt) {
        case VT_EMPTY:
        case VT_NULL:
            return {};
        case VT_DATE:
            return Variant::ofDate(v.date);
        case VT_UI8:
            return Variant::ofInteger(static_cast<int64_t>(v.ullVal));
        case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_INT:
        case VT_UI1: case VT_UI2: case VT_UI4: case VT_UINT: case VT_DECIMAL: case VT_CY: {
            VariantValue asInteger;
            if (FAILED(::VariantChangeType(asInteger.get(), const_cast<VARIANT*>(&v), 0, VT_I8))) return {};
            return Variant::ofInteger((*asInteger).llVal);
        }
        default:
            return Variant::ofText(textOf(v));
    }
}

// GetRows' result: a SAFEARRAY of VARIANTs, the first index the column, the second the row.
std::optional<RowTable> tableOf(const VARIANT& rows) {
    if (!(rows.vt & VT_ARRAY) || !rows.parray || ::SafeArrayGetDim(rows.parray) != 2) return std::nullopt;
    SAFEARRAY* array = rows.parray;
    LONG columnLow = 0, columnHigh = -1, rowLow = 0, rowHigh = -1;
    if (FAILED(::SafeArrayGetLBound(array, 1, &columnLow)) || FAILED(::SafeArrayGetUBound(array, 1, &columnHigh)) ||
        FAILED(::SafeArrayGetLBound(array, 2, &rowLow)) || FAILED(::SafeArrayGetUBound(array, 2, &rowHigh)))
        return std::nullopt;
    const auto columns = static_cast<size_t>(columnHigh < columnLow ? 0 : columnHigh - columnLow + 1);
    const auto rowCount = static_cast<size_t>(rowHigh < rowLow ? 0 : rowHigh - rowLow + 1);
    RowTable table(columns, rowCount);
    for (size_t c = 0; c < columns; ++c) {
        for (size_t r = 0; r < rowCount; ++r) {
            LONG at[2] = {columnLow + static_cast<LONG>(c), rowLow + static_cast<LONG>(r)};
            VariantValue cell;
            // A cell that cannot be read stays empty: the engine leaves that field as it was.
            if (SUCCEEDED(::SafeArrayGetElement(array, at, cell.get()))) table.cell(c, r) = cellOf(*cell);
        }
    }
    return table;
}

class AdoRecordset final : public Recordset {
public:
    explicit AdoRecordset(ComPtr<IDispatch> rows) : rows_(std::move(rows)) {}
    // Releasing the last reference closes it too; an explicit Close that fails here has nobody
    // left to tell and changes nothing about the release.
    ~AdoRecordset() override {
        if (!closed_) {
            try {
                close();
            } catch (const SearchError&) {
            }
        }
    }

    bool eof() override {
        VariantValue atEnd;
        rows_.call(L"EOF", DISPATCH_PROPERTYGET, nullptr, 0, atEnd.get());
        VariantValue flag;
        check(::VariantChangeType(flag.get(), atEnd.get(), 0, VT_BOOL), "ADO's end-of-file flag is not a truth value");
        return (*flag).boolVal != VARIANT_FALSE;
    }

    std::optional<RowTable> getRows(int count) override {
        VARIANT args[3] = {longArgument(count), missingArgument(), missingArgument()};
        VariantValue rows;
        rows_.call(L"GetRows", DISPATCH_METHOD, args, 3, rows.get());
        return tableOf(*rows);
    }

    void close() override {
        closed_ = true;
        rows_.call(L"Close", DISPATCH_METHOD, nullptr, 0, nullptr);
    }

private:
    Dispatch rows_;
    bool closed_ = false;
};

class AdoConnection final : public Connection {
public:
    explicit AdoConnection(ComPtr<IDispatch> connection) : connection_(std::move(connection)) {}
    ~AdoConnection() override {
        if (open_) {
            try {
                close();
            } catch (const SearchError&) {  // as for the record set: the release closes it anyway
            }
        }
    }

    void open(std::string_view connectionString) override {
        Bstr text(wideFromUtf8(connectionString));
        Bstr empty(std::wstring{});
        if (!text.get() || !empty.get()) fail(E_OUTOFMEMORY, "no memory for the connection string");
        VARIANT args[4] = {textArgument(text.get()), textArgument(empty.get()), textArgument(empty.get()),
                           longArgument(0)};
        connection_.call(L"Open", DISPATCH_METHOD, args, 4, nullptr);
        open_ = true;
    }

    std::unique_ptr<Recordset> execute(std::string_view sql) override {
        Bstr text(wideFromUtf8(sql));
        if (!text.get()) fail(E_OUTOFMEMORY, "no memory for the SQL");
        VariantValue recordsAffected;
        VARIANT affected;
        ::VariantInit(&affected);
        affected.vt = VT_BYREF | VT_VARIANT;
        affected.pvarVal = recordsAffected.get();
        VARIANT args[3] = {textArgument(text.get()), affected, longArgument(0)};
        VariantValue result;
        connection_.call(L"Execute", DISPATCH_METHOD, args, 3, result.get());
        ComPtr<IDispatch> rows;
        if ((*result).vt == VT_DISPATCH && (*result).pdispVal)
            check((*result).pdispVal->QueryInterface(IID_IDispatch, rows.putVoid()),
                  "ADO's record set cannot be reached");
        if (!rows) fail(E_NOINTERFACE, "ADO's Execute gave no record set");
        return std::make_unique<AdoRecordset>(std::move(rows));
    }

    void close() override {
        open_ = false;
        connection_.call(L"Close", DISPATCH_METHOD, nullptr, 0, nullptr);
    }

private:
    Dispatch connection_;
    bool open_ = false;
};

}  // namespace

std::unique_ptr<Connection> createAdoConnection() {
    ComPtr<IDispatch> connection;
    check(::CoCreateInstance(kClsidAdoConnection, nullptr, kServerContext, IID_IDispatch, connection.putVoid()),
          "ADO's connection object could not be created");
    return std::make_unique<AdoConnection>(std::move(connection));
}

}  // namespace skimmer::os::search::win32
