# mbedTLS (Debian's libmbedtls-dev; for Windows the build of
# scripts/windows/build_deps.sh), as the imported target corvane::mbedtls.
# It ships no pkg-config file, so its headers and three libraries are looked
# up directly; the order of the libraries is the order they need each other.
find_path(MBEDTLS_INCLUDE_DIR mbedtls/ssl.h REQUIRED)
find_library(MBEDTLS_TLS_LIBRARY mbedtls REQUIRED)
find_library(MBEDTLS_X509_LIBRARY mbedx509 REQUIRED)
find_library(MBEDTLS_CRYPTO_LIBRARY mbedcrypto REQUIRED)
add_library(corvane::mbedtls INTERFACE IMPORTED)
target_include_directories(corvane::mbedtls INTERFACE ${MBEDTLS_INCLUDE_DIR})
target_link_libraries(corvane::mbedtls INTERFACE
  ${MBEDTLS_TLS_LIBRARY} ${MBEDTLS_X509_LIBRARY} ${MBEDTLS_CRYPTO_LIBRARY})
if(WIN32)
  # Its entropy source uses the system's crypto API, its sockets module Winsock.
  target_link_libraries(corvane::mbedtls INTERFACE advapi32 ws2_32)
endif()
