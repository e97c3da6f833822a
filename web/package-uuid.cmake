# cmake -DDATA=<package> -DLOADER=<its loader> -P package-uuid.cmake
# Emscripten's file packager gives each package a random UUID, for the browser's cache of
# packages. This makes it one of the package's content instead (the first 128 bits of its
# SHA-256, in a UUID's form), so that the same data give the same loader.
file(SHA256 ${DATA} sum)
string(REGEX REPLACE "^(........)(....)(....)(....)(............).*$" "\\1-\\2-\\3-\\4-\\5" uuid
       ${sum})
file(READ ${LOADER} text)
string(REGEX REPLACE "\"package_uuid\": *\"[0-9a-f-]+\"" "\"package_uuid\": \"${uuid}\"" fixed
       "${text}")
if(fixed STREQUAL text)
    message(FATAL_ERROR "${LOADER} has no package_uuid to fix")
endif()
file(WRITE ${LOADER} "${fixed}")
