/* Test-only ODBC driver: FreeTDS's driver with a user name and password taken
 * from the environment (HALVEX_TDS_USER, HALVEX_TDS_PASSWORD) when the caller
 * gives none. The ADO provider under Wine passes neither, and FreeTDS without
 * a user name tries Kerberos. Only SQLConnect and SQLConnectW live here; every
 * other entry point resolves to FreeTDS, this object's DT_NEEDED dependency. */
#include <dlfcn.h>
#include <stdlib.h>
#include <string.h>

typedef short SQLRETURN;
typedef short SQLSMALLINT;
typedef unsigned char SQLCHAR;
typedef unsigned short SQLWCHAR;
typedef void* SQLHDBC;

#define SQL_ERROR (-1)
#define SQL_NTS (-3)

typedef SQLRETURN (*ConnectA)(SQLHDBC, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT);
typedef SQLRETURN (*ConnectW)(SQLHDBC, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*, SQLSMALLINT);

static void* freetds_entry(const char* name)
{
    void* lib = dlopen("libtdsodbc.so.0", RTLD_LAZY | RTLD_NOLOAD);
    void* fn = lib ? dlsym(lib, name) : NULL;
    if (lib)
        dlclose(lib);
    return fn;
}

static const char* env_or_empty(const char* name)
{
    const char* v = getenv(name);
    return v ? v : "";
}

static int missing(const void* text, SQLSMALLINT len, int wide)
{
    if (!text || len == 0)
        return 1;
    if (len == SQL_NTS)
        return wide ? *(const SQLWCHAR*)text == 0 : *(const SQLCHAR*)text == 0;
    return 0;
}

/* ASCII environment text widened; the test's user names are plain ASCII. */
static void widen(const char* in, SQLWCHAR* out, size_t cap)
{
    size_t i = 0;
    for (; in[i] && i + 1 < cap; ++i)
        out[i] = (unsigned char)in[i];
    out[i] = 0;
}

SQLRETURN SQLConnect(SQLHDBC dbc, SQLCHAR* dsn, SQLSMALLINT dsnLen, SQLCHAR* uid, SQLSMALLINT uidLen,
                     SQLCHAR* pwd, SQLSMALLINT pwdLen)
{
    ConnectA real = (ConnectA)freetds_entry("SQLConnect");
    if (!real)
        return SQL_ERROR;
    if (missing(uid, uidLen, 0)) {
        uid = (SQLCHAR*)env_or_empty("HALVEX_TDS_USER");
        uidLen = SQL_NTS;
        if (missing(pwd, pwdLen, 0)) {
            pwd = (SQLCHAR*)env_or_empty("HALVEX_TDS_PASSWORD");
            pwdLen = SQL_NTS;
        }
    }
    return real(dbc, dsn, dsnLen, uid, uidLen, pwd, pwdLen);
}

SQLRETURN SQLConnectW(SQLHDBC dbc, SQLWCHAR* dsn, SQLSMALLINT dsnLen, SQLWCHAR* uid, SQLSMALLINT uidLen,
                      SQLWCHAR* pwd, SQLSMALLINT pwdLen)
{
    static SQLWCHAR user[256], password[256];
    ConnectW real = (ConnectW)freetds_entry("SQLConnectW");
    if (!real)
        return SQL_ERROR;
    if (missing(uid, uidLen, 1)) {
        widen(env_or_empty("HALVEX_TDS_USER"), user, 256);
        uid = user;
        uidLen = SQL_NTS;
        if (missing(pwd, pwdLen, 1)) {
            widen(env_or_empty("HALVEX_TDS_PASSWORD"), password, 256);
            pwd = password;
            pwdLen = SQL_NTS;
        }
    }
    return real(dbc, dsn, dsnLen, uid, uidLen, pwd, pwdLen);
}
