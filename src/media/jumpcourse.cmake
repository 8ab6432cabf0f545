list(APPEND fw_media_sources media/JumpCourse.h media/JumpCourse.cpp)
# The course's water is computed pixel by pixel in straight-line float arithmetic; without
# trapping maths GCC and Clang turn its clamps into selects and run the loop on several pixels at
# once. No result changes: the code has no traps to keep.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    set_source_files_properties(media/JumpCourse.cpp PROPERTIES COMPILE_OPTIONS -fno-trapping-math)
endif()
