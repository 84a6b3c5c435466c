Sub Main
  GoSub Part
  Exit Sub
Part:
  Return
End Sub
' expect error: line 2: GoSub ... Return is not supported
