// The built-in key of the catalogue storage.
//
// 150 ASCII letters and digits, fixed for the program. The cipher uses only the first 32 bytes as the
// AES-256 key; the remaining 118 characters take no part (they make the string look like nothing in
// particular in the executable). Whoever encrypts the catalogue documents served at the addresses of
// patch/update_url.xml must use the same key: "nctool catalogue encrypt" does so by default.
// Changing this string makes every stored net_check.xml and every served document unreadable.
#pragma once

namespace NetChk_CatalogueKey {

constexpr char kBuiltInKey[] =
    "aupfINC39V9NjC9eyXSCFXYnwAct6xPOPJolYE4EokiEMthIat"
    "evRZNy1cQPXG807ELFME7ugWt4VOLfePZHcsn7J9nGFMS0VmBG"
    "tcZmZnjmE8knDq7TEauybijGIAUlUcA2jcPJEaRaLRRuJ3HunY";

static_assert(sizeof(kBuiltInKey) == 151, "the catalogue key is 150 characters");

}  // namespace NetChk_CatalogueKey
