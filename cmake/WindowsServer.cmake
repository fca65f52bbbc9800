# The Windows in-process automation server OrvexKSV940vti.dll, cross-built with MinGW-w64 from the
# same sources as the Linux library: the platform's Win32*.cpp twins instead of the Posix*.cpp
# files, the automation layer of src/com, and the type library compiled with widl and embedded.
# Statically linked: the DLL imports only system DLLs.

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(widl_bits -m64)
  set(wine_dlls /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
else()
  set(widl_bits -m32)
  set(wine_dlls /usr/lib/i386-linux-gnu/wine/i386-windows)
endif()
# i686 names a stdcall function with its arguments' size; each export keeps its plain name and
# is the function of that name (a .def line naming another function links just as well, and
# then that function answers the host).
foreach(export DllCanUnloadNow@0 DllGetClassObject@12 DllRegisterServer@0 DllUnregisterServer@0)
  string(REGEX REPLACE "@.*" "" name ${export})
  set(KSV940_DEF_${name} "")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(KSV940_DEF_${name} " = ${export}")
  endif()
endforeach()
find_program(WIDL NAMES ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-widl widl REQUIRED)
set(wine_idl /usr/include/wine/wine/windows)

set(idl ${PROJECT_SOURCE_DIR}/src/com/OrvexKSV940vti.idl)
set(gen ${PROJECT_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${gen}/com)
add_custom_command(
  OUTPUT ${gen}/com/OrvexKSV940vti.tlb ${gen}/com/OrvexKSV940vti.h ${gen}/com/OrvexKSV940vti_i.c
  COMMAND ${WIDL} ${widl_bits} -I${wine_idl} -L${wine_dlls} -t -o ${gen}/com/OrvexKSV940vti.tlb ${idl}
  COMMAND ${WIDL} ${widl_bits} -I${wine_idl} -h -o ${gen}/com/OrvexKSV940vti.h ${idl}
  COMMAND ${WIDL} ${widl_bits} -I${wine_idl} -u -o ${gen}/com/OrvexKSV940vti_i.c ${idl}
  DEPENDS ${idl}
  COMMENT "Type library of OrvexKSV940vti (widl ${widl_bits})")
configure_file(${PROJECT_SOURCE_DIR}/src/com/OrvexKSV940vti.def.in ${gen}/OrvexKSV940vti.def)
set(rc ${gen}/com/OrvexKSV940vti.rc)
configure_file(${PROJECT_SOURCE_DIR}/src/com/OrvexKSV940vti.rc ${rc} COPYONLY)
set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${gen}/com/OrvexKSV940vti.tlb)

# The automation layer over the plug-in, and the library a host loads.
ksv940_layer(ksv_com DIR src/com
  SOURCES CClassFactory.cpp CClassFactory.h CComKsvVti.cpp CComKsvVti.h CComMlcQuery.cpp
          CComMlcQuery.h CComMtiData.cpp CComMtiData.h CComSafetyTest.cpp CComSafetyTest.h
          CComTestOptions.cpp CComTestOptions.h CComTestResult.cpp CComTestResult.h
          CDispatchCaller.cpp CDispatchCaller.h CDispatchMtiData.cpp CDispatchMtiData.h
          CDispatchObject.cpp CDispatchObject.h CDispatchWifiConnector.cpp CDispatchWifiConnector.h
          CDispatchWindow.cpp CDispatchWindow.h CDispatchXmlDocument.cpp CDispatchXmlDocument.h
          CDispatchXmlElement.cpp CDispatchXmlElement.h MComServer.cpp
          MComSupport.cpp MComSupport.h MHostClasses.cpp MHostClasses.h MTypeLibrary.cpp
          MTypeLibrary.h
  DEPENDS ksv940vti ksv_hostdefaults oleaut32 ole32 uuid user32 gdi32 advapi32)
target_sources(ksv_com PRIVATE ${gen}/com/OrvexKSV940vti_i.c ${gen}/com/OrvexKSV940vti.h)
target_include_directories(ksv_com PUBLIC ${gen}/com)
# A COM interface is released through Release, never deleted through a base pointer, and its
# binary layout has no room for a virtual destructor.
target_compile_options(ksv_com PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-Wno-non-virtual-dtor>)
set_source_files_properties(${gen}/com/OrvexKSV940vti_i.c PROPERTIES LANGUAGE C)

add_library(OrvexKSV940vti SHARED ${rc} ${gen}/OrvexKSV940vti.def)
set_target_properties(OrvexKSV940vti PROPERTIES PREFIX "" OUTPUT_NAME OrvexKSV940vti LINKER_LANGUAGE CXX)
target_link_libraries(OrvexKSV940vti PRIVATE -Wl,--whole-archive ksv_com -Wl,--no-whole-archive
                      ksv_com)
# Stripped; the linker's map beside it tells which function lies at each address (the static
# checks of scripts/test-windows read it).
target_link_options(OrvexKSV940vti PRIVATE -static -static-libgcc -static-libstdc++ -s
                    -Wl,-Map=${PROJECT_BINARY_DIR}/OrvexKSV940vti.map)

# The test clients under Wine: a compiled automation client and the operator at the screen.
if(KSV940_TESTS)
  foreach(tool ksv940client ksv940operator)
    add_executable(${tool} ${PROJECT_SOURCE_DIR}/tests/windows/${tool}.cpp
                           ${gen}/com/OrvexKSV940vti_i.c ${gen}/com/OrvexKSV940vti.h)
    add_dependencies(${tool} OrvexKSV940vti)
    target_include_directories(${tool} PRIVATE ${gen} ${gen}/com)
    target_compile_options(${tool} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-Wno-non-virtual-dtor>)
    target_link_options(${tool} PRIVATE -static -static-libgcc -static-libstdc++ -municode)
    target_link_libraries(${tool} PRIVATE oleaut32 ole32 uuid user32 gdi32 advapi32)
  endforeach()
endif()
