# The widest loop build this processor offers, forced down to the AVX2 one and to the one every x86-64
# runs, must still draw the reference's bytes.
foreach(isa avx2 baseline)
    add_test(NAME raster.reference_loops_forced_${isa}
        COMMAND test_raster --gtest_filter=LoopWidthChoice.TheBuild*:LoopBuilds/DrawTransformedReference.*/Widest)
    set_tests_properties(raster.reference_loops_forced_${isa} PROPERTIES LABELS raster
        FAIL_REGULAR_EXPRESSION "SKIPPED|FAILED"
        ENVIRONMENT "GV_RASTER_ISA=${isa};QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${GV_TEST_CONFIG};${GV_TEST_SANITIZER_ENV}")
endforeach()

# GV_RASTER_PORTS picks the kind of bilinear steps a whole run draws with.
foreach(ports own shared)
    add_test(NAME raster.step_ports_forced_${ports}
        COMMAND test_raster --gtest_filter=LoopWidthChoice.TheStepPorts*)
    set_tests_properties(raster.step_ports_forced_${ports} PROPERTIES LABELS raster
        FAIL_REGULAR_EXPRESSION "SKIPPED|FAILED"
        ENVIRONMENT "GV_RASTER_PORTS=${ports};QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${GV_TEST_CONFIG};${GV_TEST_SANITIZER_ENV}")
endforeach()
