# The Debian package: `cpack` in a build folder (scripts/build-package.sh) packs what
# `cmake --install` puts in place, under /usr. Its dependencies are worked out by
# dpkg-shlibdeps from the libraries the programs and plug-ins link.
install(FILES "${PROJECT_SOURCE_DIR}/docs/copyright" DESTINATION "${CMAKE_INSTALL_DOCDIR}")

set(MOKOA_PACKAGE_MAINTAINER "The MOKOA developers <maintainers@mokoa.invalid>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mokoa)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MOKOA_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The phone texts, and the windows for a Japanese user, are Japanese; Qt's own dialogs speak
# the windows' language with Qt's translations.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
  "fonts-ipafont-gothic | fonts-noto-cjk | fonts-vlgothic, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "picture workshop for the phones of the J-Sky and EZweb generation
MOKOA turns any picture into images for Japanese mobile phones: open a picture,
drag a selection locked to one of 151 phone screens or a custom size, and get the
exact-size phone image live, colour-reduced or greyscaled, encoded as PNG or JPEG
and checked against the carriers' byte limits. The image can be touched up pixel
by pixel, then saved, copied, mailed through the program's own SMTP client or
served to a phone by its built-in HTTP server.
.
mokoa-convert runs the same conversion from the command line.")
include(CPack)
