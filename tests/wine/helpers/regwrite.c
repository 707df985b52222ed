/* Writes registry values with an exact type and exact bytes, which the
   reg.exe tool cannot do (it appends terminators and knows few types).
   Usage:
     regwrite set      <HKLM|HKCU> <subkey> <name|@> <type> <hex bytes>
     regwrite delvalue <HKLM|HKCU> <subkey> <name|@>
     regwrite delkey   <HKLM|HKCU> <subkey>
   "@" names the default (unnamed) value. <type> is REG_SZ, REG_EXPAND_SZ,
   REG_BINARY, REG_DWORD, REG_MULTI_SZ, REG_NONE or a number. <hex bytes>
   may be "" for zero bytes. Deleting something absent is not an error. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int parse_root(const char *s, HKEY *root)
{
    if (_stricmp(s, "HKLM") == 0) { *root = HKEY_LOCAL_MACHINE; return 1; }
    if (_stricmp(s, "HKCU") == 0) { *root = HKEY_CURRENT_USER; return 1; }
    return 0;
}

static int parse_type(const char *s, DWORD *type)
{
    static const struct { const char *name; DWORD type; } names[] = {
        { "REG_NONE", REG_NONE }, { "REG_SZ", REG_SZ },
        { "REG_EXPAND_SZ", REG_EXPAND_SZ }, { "REG_BINARY", REG_BINARY },
        { "REG_DWORD", REG_DWORD }, { "REG_MULTI_SZ", REG_MULTI_SZ },
    };
    char *end;
    size_t i;
    for (i = 0; i < sizeof names / sizeof names[0]; i++)
        if (_stricmp(s, names[i].name) == 0) { *type = names[i].type; return 1; }
    *type = (DWORD)strtoul(s, &end, 0);
    return *s && !*end;
}

static int hexval(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

static BYTE *parse_hex(const char *s, DWORD *len)
{
    size_t n = strlen(s), i;
    BYTE *out;
    if (n % 2)
        return NULL;
    out = malloc(n / 2 + 1);
    for (i = 0; i < n / 2; i++) {
        int hi = hexval(s[2 * i]), lo = hexval(s[2 * i + 1]);
        if (hi < 0 || lo < 0) { free(out); return NULL; }
        out[i] = (BYTE)(hi << 4 | lo);
    }
    *len = (DWORD)(n / 2);
    return out;
}

static const char *value_name(const char *s)
{
    return strcmp(s, "@") == 0 ? NULL : s;
}

static int fail(const char *what, LONG rc)
{
    fprintf(stderr, "regwrite: %s failed with error %ld\n", what, rc);
    return 1;
}

int main(int argc, char **argv)
{
    HKEY root, key;
    LONG rc;

    if (argc < 4 || !parse_root(argv[2], &root)) {
        fprintf(stderr, "usage: regwrite set|delvalue|delkey <HKLM|HKCU> <subkey> ...\n");
        return 2;
    }
    if (strcmp(argv[1], "set") == 0 && argc == 7) {
        DWORD type, len;
        BYTE *data;
        if (!parse_type(argv[5], &type) || !(data = parse_hex(argv[6], &len))) {
            fprintf(stderr, "regwrite: bad type or hex bytes\n");
            return 2;
        }
        rc = RegCreateKeyExA(root, argv[3], 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL);
        if (rc != ERROR_SUCCESS)
            return fail("RegCreateKeyExA", rc);
        rc = RegSetValueExA(key, value_name(argv[4]), 0, type, data, len);
        RegCloseKey(key);
        free(data);
        return rc == ERROR_SUCCESS ? 0 : fail("RegSetValueExA", rc);
    }
    if (strcmp(argv[1], "delvalue") == 0 && argc == 5) {
        rc = RegOpenKeyExA(root, argv[3], 0, KEY_SET_VALUE, &key);
        if (rc == ERROR_FILE_NOT_FOUND)
            return 0;
        if (rc != ERROR_SUCCESS)
            return fail("RegOpenKeyExA", rc);
        rc = RegDeleteValueA(key, value_name(argv[4]));
        RegCloseKey(key);
        return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? 0 : fail("RegDeleteValueA", rc);
    }
    if (strcmp(argv[1], "delkey") == 0 && argc == 4) {
        rc = RegDeleteKeyA(root, argv[3]);
        return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? 0 : fail("RegDeleteKeyA", rc);
    }
    fprintf(stderr, "regwrite: unknown command or wrong argument count\n");
    return 2;
}
